#include "platform/Dialogs.h"

namespace platform {

QStringList NameFilters(const QString& filter) {
    QStringList filters;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed(), pattern = parts[i + 1].trimmed();
        if (pattern.isEmpty()) continue;
        // A description that names its pattern already ("Comma csv (*.csv)") is a filter as
        // it stands.
        filters << (description.contains(QLatin1Char('(') + pattern + QLatin1Char(')'))
                        ? description
                        : description + QStringLiteral(" (") + pattern + QLatin1Char(')'));
    }
    return filters;
}

}  // namespace platform
