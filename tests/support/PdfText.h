#pragma once

#include <gtest/gtest.h>

#include <QProcess>
#include <QString>

namespace testsupport {

// The text of a PDF file laid out as printed (pdftotext -layout).
inline QString pdfText(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {"-layout", pdf, "-"});
    EXPECT_TRUE(p.waitForFinished(60000));
    return QString::fromUtf8(p.readAllStandardOutput());
}

}  // namespace testsupport
