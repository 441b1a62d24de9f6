#include <QApplication>
#include <QLocale>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// The X display CTest gave this test ("displays" in the resource file that
// scripts/test writes: "id:99,slots:1"), or an empty text.
QByteArray ctestDisplay()
{
    const QByteArray count = qgetenv("CTEST_RESOURCE_GROUP_COUNT");
    for (int i = 0; i < count.toInt(); ++i) {
        const QByteArray group = "CTEST_RESOURCE_GROUP_" + QByteArray::number(i);
        if (qgetenv(group.constData()) != "displays")
            continue;
        for (const QByteArray &part : qgetenv((group + "_DISPLAYS").constData()).split(','))
            if (part.startsWith("id:"))
                return ':' + part.mid(3);
    }
    return {};
}

} // namespace

int main(int argc, char **argv)
{
    // Windows are shown on the X display of their own that CTest hands out, on
    // the xcb platform as users see them; without one (a test run by hand, the
    // data tests) on the platform the environment names, else offscreen.
    if (const QByteArray display = ctestDisplay(); !display.isEmpty()) {
        qputenv("DISPLAY", display);
        qputenv("QT_QPA_PLATFORM", "xcb");
    } else if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // Tests read and write numbers and dates as a German user does.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"ORV"_s);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
