#include "ui/editor/HolidayDialog.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "Version.h"
#include "base/AtomicFile.h"
#include "ui/widgets/CaptionFit.h"
#include "ui/widgets/Dialogs.h"

namespace kolva {

namespace {

const QString kTitle = QStringLiteral(KOLVA_TITLE);

QPushButton *namedButton(const QString &text, const QString &name, QWidget *parent) {
    auto *b = new QPushButton(text, parent);
    b->setAccessibleName(name);
    b->setAutoDefault(false);
    return b;
}

} // namespace

HolidayDialog::HolidayDialog(const QString &file, Dialogs &dialogs, QWidget *parent)
    : QDialog(parent), m_file(file), m_dialogs(dialogs) {
    buildWidgets();
    load();
    fillList(0);
    setChanged(false);
}

void HolidayDialog::buildWidgets() {
    setObjectName(QStringLiteral("fHolidays"));
    setWindowTitle(QStringLiteral("节假日"));
    resize(420, 460);

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("lvwHolidays"));
    m_list->setAccessibleName(QStringLiteral("节假日列表"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setColumnCount(2);
    m_list->setHeaderLabels({QStringLiteral("日期"), QStringLiteral("休/班")});
    m_list->header()->setStretchLastSection(true);
    m_list->setColumnWidth(
        0, fontMetrics().horizontalAdvance(QStringLiteral("0000-00-00..0000-00-00")) + 24);
    keepCaptionsWhole(m_list->header());

    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("lblHolidayNote"));
    m_note->setWordWrap(true);
    m_note->hide();

    m_date = new QDateEdit(QDate::currentDate(), this);
    m_date->setObjectName(QStringLiteral("dtpHoliday"));
    m_date->setAccessibleName(QStringLiteral("日期"));
    m_date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_date->setCalendarPopup(true);
    m_kind = new QComboBox(this);
    m_kind->setObjectName(QStringLiteral("cboHolidayKind"));
    m_kind->setAccessibleName(QStringLiteral("休/班"));
    m_kind->addItem(QStringLiteral("休"));
    m_kind->addItem(QStringLiteral("班"));
    m_kind->setToolTip(QStringLiteral("休：不上学、不上班；班：周末调休上班"));
    m_add = namedButton(QStringLiteral("添加"), QStringLiteral("添加节假日"), this);
    m_remove = namedButton(QStringLiteral("删除"), QStringLiteral("删除节假日"), this);
    m_save = namedButton(QStringLiteral("保存"), QStringLiteral("保存节假日"), this);
    m_close = namedButton(QStringLiteral("关闭"), QStringLiteral("关闭"), this);

    auto *dateLabel = new QLabel(QStringLiteral("日期"), this);
    dateLabel->setBuddy(m_date);
    // On Linux a screen reader names a combo box by its label (its own name
    // is its current text), so the kind box gets one too.
    auto *kindLabel = new QLabel(QStringLiteral("休/班"), this);
    kindLabel->setBuddy(m_kind);
    auto *addRow = new QHBoxLayout;
    addRow->addWidget(dateLabel);
    addRow->addWidget(m_date);
    addRow->addWidget(kindLabel);
    addRow->addWidget(m_kind, 1);
    addRow->addWidget(m_add);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_remove);
    buttons->addStretch();
    buttons->addWidget(m_save);
    buttons->addWidget(m_close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_note);
    layout->addLayout(addRow);
    layout->addLayout(buttons);

    // Tab in reading order: the list, the row that adds, the buttons below.
    setTabOrder(m_list, m_date);
    setTabOrder(m_date, m_kind);
    setTabOrder(m_kind, m_add);
    setTabOrder(m_add, m_remove);
    setTabOrder(m_remove, m_save);
    setTabOrder(m_save, m_close);

    connect(m_add, &QPushButton::clicked, this, &HolidayDialog::addClick);
    connect(m_remove, &QPushButton::clicked, this, &HolidayDialog::removeClick);
    connect(m_save, &QPushButton::clicked, this, [this] { saveClick(); });
    connect(m_close, &QPushButton::clicked, this, &HolidayDialog::reject);
    auto *del = new QShortcut(QKeySequence::Delete, m_list, nullptr, nullptr, Qt::WidgetShortcut);
    connect(del, &QShortcut::activated, this, &HolidayDialog::removeClick);
    auto *save = new QShortcut(QKeySequence::Save, this);
    connect(save, &QShortcut::activated, this, [this] {
        if (m_changed && m_writable)
            saveClick();
    });
}

void HolidayDialog::load() {
    QFile file(m_file);
    if (!file.exists())
        return; // no calendar yet: the first save makes one
    QString why;
    if (!file.open(QIODevice::ReadOnly))
        why = file.errorString();
    else if (file.size() > HolidayCalendarFile::kMaxBytes)
        why = QStringLiteral("文件太大");
    if (!why.isEmpty()) {
        // Never written over: the user's file may hold what we cannot see.
        m_writable = false;
        m_note->setText(QStringLiteral("节假日文件 %1 无法读取：%2。这里的修改不能保存。")
                            .arg(QDir::toNativeSeparators(m_file), why));
        m_note->show();
        return;
    }
    QVector<CalendarProblem> problems;
    m_calendar = HolidayCalendar::fromText(QString::fromUtf8(file.readAll()), &problems);
    if (!problems.isEmpty()) {
        QStringList lines;
        for (const CalendarProblem &p : std::as_const(problems))
            lines << QStringLiteral("第%1行（%2）").arg(p.lineNumber).arg(p.reason);
        m_note->setText(QStringLiteral("这些行无法读取，保存时原样保留：") +
                        lines.join(QStringLiteral("；")));
        m_note->show();
    }
}

void HolidayDialog::fillList(int select) {
    m_list->clear();
    for (const HolidayEntry &e : m_calendar.entries()) {
        QString dates = HolidayCalendar::dateText(e.first);
        if (e.last != e.first)
            dates += QStringLiteral("..") + HolidayCalendar::dateText(e.last);
        auto *row = new QTreeWidgetItem(m_list, {dates, HolidayCalendar::kindText(e.kind)});
        row->setData(0, Qt::AccessibleTextRole, dates);
    }
    const int count = m_list->topLevelItemCount();
    if (count > 0)
        m_list->setCurrentItem(m_list->topLevelItem(qBound(0, select, count - 1)));
    m_remove->setEnabled(count > 0);
}

void HolidayDialog::setChanged(bool changed) {
    m_changed = changed;
    m_save->setEnabled(changed && m_writable);
}

void HolidayDialog::addClick() {
    const QDate date = m_date->date();
    const DayKind kind = m_kind->currentIndex() == 1 ? DayKind::Workday : DayKind::Holiday;
    m_calendar.setDay(date, kind);
    // The entry of that day: rewritten in place or appended at the end.
    int index = 0;
    const QVector<HolidayEntry> &entries = m_calendar.entries();
    for (int i = 0; i < entries.size(); ++i) {
        if (entries[i].first == date && entries[i].last == date)
            index = i;
    }
    fillList(index);
    setChanged(true);
}

void HolidayDialog::removeClick() {
    QTreeWidgetItem *row = m_list->currentItem();
    if (!row)
        return;
    const int index = m_list->indexOfTopLevelItem(row);
    m_calendar.removeEntry(index);
    fillList(index);
    setChanged(true);
}

bool HolidayDialog::saveClick() {
    if (!m_writable)
        return false;
    QString reason;
    const QString folder = QFileInfo(m_file).absolutePath();
    if (!QDir().mkpath(folder))
        reason = QStringLiteral("无法建立文件夹 %1").arg(QDir::toNativeSeparators(folder));
    else if (writeFileAtomically(m_file, m_calendar.text().toUtf8(), &reason)) {
        setChanged(false);
        return true;
    }
    m_dialogs.information(this, kTitle,
                          QStringLiteral("节假日没有保存，请检查后再保存一次。\r\n") + reason);
    return false;
}

void HolidayDialog::reject() {
    if (m_changed && m_writable) {
        switch (
            m_dialogs.question(this, kTitle, QStringLiteral("节假日已经更改，是否保存?"), true)) {
        case Dialogs::Answer::Yes:
            if (!saveClick())
                return; // nothing lost: the entries stay for another try
            break;
        case Dialogs::Answer::No:
            break;
        case Dialogs::Answer::Cancel:
            return;
        }
    }
    QDialog::reject();
}

} // namespace kolva
