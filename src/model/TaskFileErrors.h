#pragma once
// Why the XML reader refused a task file, in Chinese, by kind of fault: the
// reader's own texts are English, and Qt's Chinese translation lacks most of
// them. The user sees this after "任务列表文件无法读取：", with line and
// column, and often has to mend a hand-edited file by it.

#include <QXmlStreamReader>

namespace kolva {

// The reason for the reader's present error (it must have one), without the
// place. Names the reader quotes (an entity, an attribute) are kept.
QString xmlErrorText(const QXmlStreamReader &xml);

} // namespace kolva
