// Where a window opens: within the screen's free area whatever the screen's size and scale, where
// the operator last left it, and with its content scrolled where the screen is too small for it.
#pragma once

#include <QRect>
#include <QWidget>
#include <optional>
#include <string>

#include "platform/settings_store.h"

namespace zelkon::gui {

// The room a window manager's frame may take around a window: its title bar and borders.
inline constexpr int kFrameAllowanceWidth = 16;
inline constexpr int kFrameAllowanceHeight = 40;

// Makes `window` fit `available` (a screen's free area, frame allowance included): a window
// larger than that gets its content in a scroll area (once) and is made smaller, its minimum size
// lowered to what fits. A window that fits is left as it is.
void FitWithin(QWidget& window, const QRect& available);

// `frame` moved (not resized) so that it lies within `available` as far as it can: its top left
// corner always within.
QRect MovedWithin(QRect frame, const QRect& available);

// The geometry (x, y, width, height of the window without its frame) the operator last left the
// window of `className` at; nothing when none is stored or it does not read as one.
std::optional<QRect> StoredGeometry(SettingsStore& settings, const std::string& className);
void StoreGeometry(SettingsStore& settings, const std::string& className, const QRect& geometry);

}  // namespace zelkon::gui
