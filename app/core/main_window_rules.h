#pragma once

#include <QString>

namespace vostrand::core {

// How the sensor panel beside the recorder windows is sized: never narrower than its list
// needs, or collapsed to a sliver out of the way.
struct SensorPanelWidth
{
    static constexpr int kMinimum = 400;
    static constexpr int kCollapsed = 1;
    // What the window leaves beside a panel that fills it.
    static constexpr int kFrameMargin = 6;

    // While the splitter is dragged to `newWidth`: narrowing below the minimum collapses the
    // panel, anything else short of the minimum snaps to it.
    static int whileDragging(int newWidth, int currentWidth);
    // The width kept when the drag ends at `position` (also the one stored).
    static int afterDrag(int position);
    // On a resize of the window: the stored width beside recorder windows, else the whole
    // client width.
    static int onResize(int clientWidth, int storedWidth, bool recorderWindowsOpen);
};

// What a file handed to the program (command line, second start) opens as.
enum class HandOverKind
{
    None,          // empty argument: only bring the window to the front
    DataFile,      // ".vst": a file view
    TextArchive,   // ".vsa": the archive-copy dialog, text archives
    BinaryArchive, // ".vsb": the archive-copy dialog, binary archives
    Unknown,
};

HandOverKind handOverKindOf(const QString& path);

// A configuration that never held a sensor table: the first start of the program.
bool isFirstStart(const QString& iniFilePath);

// Closing asks first while polling runs, or always when the user asked for it.
bool closeNeedsQuestion(bool polling, bool askWhenIdle);

} // namespace vostrand::core
