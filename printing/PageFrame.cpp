#include <algorithm>

#include "core/ModMain.h"
#include "printing/FrmPrint.h"
#include "runtime/Format.h"
#include "runtime/Strings.h"

namespace printing {

namespace {

QString kindSuffix(int32_t dataType, const records::clsAlarm* alarm) {
    switch (dataType) {
        case KindInterval:
            return QStringLiteral(" (Interval Trend)");
        case KindAlarm:
            return alarm && alarm->KeptAsInterval() ? QStringLiteral(" (Interval Trend)")
                                                    : QStringLiteral(" (Alarm Trend)");
        case KindHistory:
            return QStringLiteral(" (Calibration History)");
        case KindLastCalibration:
            return QStringLiteral(" (Last Calibration)");
        case KindAlarmEvents:
            return QStringLiteral(" (Alarm Event)");
        case KindTroubleEvents:
            return QStringLiteral(" (Trouble Event)");
        case KindPowerEvents:
            return QStringLiteral(" (Power Event)");
        case KindSensorHistory:
            return QStringLiteral(" (Sensor History)");
        default:
            return QString();
    }
}

bool numeric(const QString& text) {
    return rt::IsNumeric(rt::Trim(text));
}

}  // namespace

void FrmPrint::PrintPageHeader(graph::GraphSurface& target) {
    target.ForeColor = 0;
    // The form's own font: the application's default face (the settings' display font goes
    // to the form's controls only).
    if (target.isPrinter()) target.setFontName(font().family());
    target.setFontSize(12);
    target.setFontBold(true);
    target.CurrentX = 10;
    target.CurrentY = 10;
    target.PrintStay(QStringLiteral("QM-73 Data Logger"));
    target.PrintStay(kindSuffix(DataType, AlarmData));
    target.setFontSize(9);
    const QString time = rt::GeneralDate(rt::OleDate::now());
    // Its right end 300 units from the right edge, its top at the title's top.
    target.CurrentX = target.ScaleWidth() - target.TextWidth(time) - 300;
    target.CurrentY = 10;
    target.Print(time);
    target.setFontBold(false);
}

void FrmPrint::PrintRow(graph::GraphSurface& target, const QStringList& cells, int first) {
    const double h = 1.1 * target.TextHeight(QStringLiteral("W"));
    target.CurrentX = ColumnX[0];
    for (int k = 0; k < cells.size(); ++k) {
        const int i = first + k;
        if (i < 0) continue;
        if (i >= static_cast<int>(ColumnX.size())) break;
        const QString& t = cells[k];
        const double left = ColumnX[static_cast<size_t>(i)];
        const double w = i + 1 < static_cast<int>(ColumnX.size())
                             ? ColumnX[static_cast<size_t>(i) + 1] - left
                             : target.ScaleWidth() - left;
        double offset = 0;
        const auto centred = [&] { return (w - target.TextWidth(t)) / 2; };
        const auto right = [&] { return w - target.TextWidth(t) - 0.2 * w; };
        switch (ColumnAlign[static_cast<size_t>(i)]) {
            case 1:
                offset = centred();
                break;
            case 2:
                offset = right();
                break;
            case 3:
                offset = numeric(t) ? right() : centred();
                break;
            case 4:
                offset = numeric(t) || t.contains(QLatin1String("---")) ? centred() : 0;
                break;
            default:
                break;
        }
        target.CurrentX = left + offset;
        target.PrintStay(t);
    }
    target.CurrentY += h;
}

bool FrmPrint::BreakPage(graph::GraphSurface& target, bool lastRow) {
    // After every row of a table: the place where a long job lets the window's events through.
    letEventsThrough();
    if (!target.isPrinter() || lastRow || !(target.CurrentY > 0.95 * target.ScaleHeight()))
        return false;
    target.NewPage();
    PrintPageHeader(target);
    // The continued table's top: a tenth of the width.
    target.CurrentY = 0.1 * target.ScaleWidth();
    return true;
}

void FrmPrint::blankRow(graph::GraphSurface& target) {
    PrintRow(target, {QString()});
}

void FrmPrint::rule(graph::GraphSurface& target, int width) {
    target.DrawWidth = width;
    target.CurrentX = 0;
    target.Line(0, target.CurrentY + 30, target.ScaleWidth(), target.CurrentY + 30, 0);
}

void FrmPrint::alignAll(int32_t mode) {
    ColumnAlign.fill(mode);
}

void FrmPrint::setColumns(const graph::GraphSurface& target, std::initializer_list<double> at,
                          size_t first) {
    const double sw = target.ScaleWidth();
    for (const double fraction : at)
        ColumnX[first++] = static_cast<float>(fraction * sw);
}

void FrmPrint::alignFirst(size_t n, int32_t mode) {
    std::fill_n(ColumnAlign.begin(), n, mode);
}

void FrmPrint::fitColumns(const graph::GraphSurface& target, const std::vector<QStringList>& rows) {
    size_t columns = 0;
    for (const QStringList& row : rows)
        columns = std::max(columns, static_cast<size_t>(row.size()));
    columns = std::min(columns, ColumnX.size() - 1);
    std::vector<double> widest(columns, 0.0);
    for (const QStringList& row : rows) {
        letEventsThrough();
        for (size_t i = 0; i < columns && i < static_cast<size_t>(row.size()); ++i)
            if (!row[static_cast<qsizetype>(i)].isEmpty())
                widest[i] = std::max(widest[i], target.TextWidth(row[static_cast<qsizetype>(i)]));
    }
    // Two spaces keep neighbouring cells apart, left-aligned or centred.
    const double gap = target.TextWidth(QStringLiteral("  "));
    const double right = target.ScaleWidth();
    // The last column has no cell after it; its right edge (which centres its cells) moves
    // with it.
    for (size_t i = 0; i + 1 < columns; ++i) {
        const double missing = widest[i] + gap - (ColumnX[i + 1] - ColumnX[i]);
        if (missing <= 0) continue;
        for (size_t j = i + 1; j <= columns; ++j)
            ColumnX[j] = static_cast<float>(std::min(right, ColumnX[j] + missing));
    }
}

}  // namespace printing
