#pragma once

namespace gui {

// Horizontal placement of text inside its rectangle; it is always centred vertically.
enum class Alignment { left, center, right };

} // namespace gui
