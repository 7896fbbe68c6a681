#pragma once
// Text written between double quotes in the XML files the program writes
// (the task list and the region playlist).

#include <QString>

namespace kolva {

// Characters that would end the value or break the document (" & < > and
// tab, CR, LF) become character references, so any title or path a user can
// type comes back unchanged. Characters that XML cannot hold at all (other
// control characters, lone surrogates) are dropped: keeping them would make
// the whole file unreadable.
QString xmlAttributeText(const QString &text);

} // namespace kolva
