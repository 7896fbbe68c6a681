#pragma once
// The text form in which a Task travels to the detail view: one "|"-joined
// line for the Task and one element per Region (element 0: the number of
// Regions), songs joined by "@SONGLINE@", song fields by "@SONGINFO@".
// Nothing is escaped, so a title or path holding a separator cannot travel
// this way; the main window hands the view the record itself and this form
// stays for callers that speak it.

#include <QString>
#include <QStringList>
#include <optional>

#include "model/Task.h"

namespace kolva {

QString taskExchangeText(const Task &task);
QStringList regionExchangeTexts(const Task &task);

// The Task described by the two texts, starting from the blank Task; only
// the exchanged fields are set. std::nullopt when a number field is not a
// number or fields or song entries are fewer than counted; `error` then
// says where (in Chinese, for the user).
std::optional<Task> readTaskExchange(const QString &taskText, const QStringList &regionTexts,
                                     QString *error = nullptr);

} // namespace kolva
