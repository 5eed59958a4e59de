#include "mainwindow/dataview/StandInForms.h"

#include <QVBoxLayout>

#include "core/ModMain.h"

namespace dataview {

namespace {

enum Text : int { TextDataView = 5151, TextInterval = 5624, TextAlarm = 5625 };

}  // namespace

FrmIntermittence::FrmIntermittence(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmIntermittence"));
    setModal(true);
    text_ = new QLabel(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
}

void FrmIntermittence::LoadTrend() {
    int kind = 0;
    int32_t samples = 0;
    if (core::TrendSelMode == 1) {
        interval.ClearDatas();
        interval.setSeqNo(core::TrendSelSeqNo);
        interval.setBaseDate(core::TrendSelBaseDate);
        interval.ReLoad();
        kind = TextInterval;
        samples = interval.DataCount();
    } else if (core::TrendSelMode == 2) {
        alarm.ClearDatas();
        alarm.setSeqNo(core::TrendSelSeqNo);
        alarm.ReLoad();
        kind = alarm.GasBaseInfo(7).toLong() == 2 ? TextInterval : TextAlarm;
        samples = alarm.DataCount();
    }
    caption_ = core::LoadResText(TextDataView) +
               (kind ? QLatin1Char('(') + core::LoadResText(kind) + QLatin1Char(')') : QString());
    setWindowTitle(caption_);
    text_->setText(QStringLiteral("%1\n%2").arg(caption_).arg(samples));
}

void FrmIntermittence::ShowModal() {
    LoadTrend();
    exec();
}

}  // namespace dataview
