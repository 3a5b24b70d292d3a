#include "core/main_window_rules.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <QSettings>

namespace vostrand::core {
namespace {

TEST(SensorPanelWidth, draggingNarrowerThanTheMinimumCollapsesOtherwiseSnapsOpen)
{
    const struct
    {
        int newWidth;
        int currentWidth;
        int expected;
    } cases[] = {
        {399, 400, SensorPanelWidth::kCollapsed}, // narrowing below the minimum
        {150, 600, SensorPanelWidth::kCollapsed},
        {50, 1, SensorPanelWidth::kMinimum},    // pulled out of the collapsed state
        {399, 399, SensorPanelWidth::kMinimum}, // not narrower: snaps to the minimum
        {2, 1, SensorPanelWidth::kMinimum},
        {1, 1, 1},
        {400, 600, 400},
        {750, 600, 750},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SensorPanelWidth::whileDragging(c.newWidth, c.currentWidth), c.expected)
            << c.newWidth << " from " << c.currentWidth;
}

TEST(SensorPanelWidth, keptWidthAndResizeFollowTheRecorderWindows)
{
    EXPECT_EQ(SensorPanelWidth::afterDrag(120), 400);
    EXPECT_EQ(SensorPanelWidth::afterDrag(520), 520);
    EXPECT_EQ(SensorPanelWidth::onResize(1200, 520, true), 520);
    EXPECT_EQ(SensorPanelWidth::onResize(1200, 520, false), 1194);
    EXPECT_EQ(SensorPanelWidth::onResize(3, 520, false), SensorPanelWidth::kCollapsed);
}

TEST(HandOverKind, theExtensionDecidesWithoutRegardToCase)
{
    EXPECT_EQ(handOverKindOf(QString()), HandOverKind::None);
    EXPECT_EQ(handOverKindOf(QStringLiteral("  ")), HandOverKind::None);
    EXPECT_EQ(handOverKindOf(QStringLiteral("/d/12.10.2026.vst")), HandOverKind::DataFile);
    EXPECT_EQ(handOverKindOf(QStringLiteral("C:\\a\\COPY.VSA")), HandOverKind::TextArchive);
    EXPECT_EQ(handOverKindOf(QStringLiteral("copy.Vsb")), HandOverKind::BinaryArchive);
    EXPECT_EQ(handOverKindOf(QStringLiteral("notes.vst.txt")), HandOverKind::Unknown);
    EXPECT_EQ(handOverKindOf(QStringLiteral("vst")), HandOverKind::Unknown);
}

TEST(FirstStart, onlyAConfigurationWithASensorTableCountsAsKnown)
{
    testing::TempFolder folder;
    const QString file = QString::fromStdString((folder / "Vostrandnet.ini").string());
    EXPECT_TRUE(isFirstStart(file)); // no file at all
    {
        QSettings settings(file, QSettings::IniFormat);
        settings.setValue(QStringLiteral("GA/AutoRun"), 1);
    }
    EXPECT_TRUE(isFirstStart(file));
    {
        QSettings settings(file, QSettings::IniFormat);
        settings.setValue(QStringLiteral("sensors/SensCount"), 0);
    }
    EXPECT_FALSE(isFirstStart(file));
}

TEST(CloseQuestion, askedWhilePollingOrWhenTheUserWantsIt)
{
    EXPECT_FALSE(closeNeedsQuestion(false, false));
    EXPECT_TRUE(closeNeedsQuestion(true, false));
    EXPECT_TRUE(closeNeedsQuestion(false, true));
}

} // namespace
} // namespace vostrand::core
