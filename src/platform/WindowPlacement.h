#pragma once

#include <QRect>

class QWidget;

namespace tanzo {

// Where a window goes in the z-order, numbered as the insert-after values of
// the Windows placement call it stands for.
enum class InsertAfter { Top = 0, TopMost = -1, NoTopMost = -2 };

// Flags of a placement, numbered as the Windows flags they stand for.
// NoSize keeps the window's size and places its outer frame (title bar
// included) at the rectangle's top-left, as the Windows call always does.
enum PlacementFlag { NoSize = 1, ShowWindow = 64, NoActivate = 16 };

// The one routine that places a top-level window: z-order, pixel rectangle,
// show and no-activate. TopMost keeps the window above all others until a
// NoTopMost placement; a TopMost placement directly followed by a NoTopMost
// one therefore raises the window once without keeping it on top.
void setWindowPos(QWidget* window, InsertAfter insertAfter, const QRect& pixels, int flags);

// Turns staying on top on or off without hiding and re-showing the window.
void setStaysOnTop(QWidget* window, bool on);
// Whether the window is meant to stay on top (the last setStaysOnTop).
bool staysOnTop(const QWidget* window);

} // namespace tanzo
