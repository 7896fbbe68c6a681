#pragma once
// Column captions that are never cut: every section of a header is at least
// as wide as its caption (text, margins, the skin's padding) at the header's
// font and DPI. The designed widths are minimums: a section only grows, now
// and whenever the font or the skin changes later.
//
// Thread: UI thread.

class QHeaderView;

namespace kolva {

void keepCaptionsWhole(QHeaderView *header);

} // namespace kolva
