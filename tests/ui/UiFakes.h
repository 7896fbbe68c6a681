#pragma once
// A tray and a dialogs layer the widget tests control: the offscreen
// platform has no notification area and nobody answers dialogs.

#include <QMenu>
#include <QStringList>
#include <functional>

#include "ui/main/Tray.h"
#include "ui/widgets/Dialogs.h"

namespace kolva::test {

class FakeTray final : public Tray {
    Q_OBJECT
public:
    bool available = true;
    bool added = false;
    QIcon icon;
    QString tip;
    QMenu *menu = nullptr;
    QStringList calls;    // "add <tip>", "setTip <tip>", "setIcon", "remove"
    QStringList messages; // texts of balloon messages
    std::function<void()> onAdd;

    bool isAvailable() const override { return available; }
    void add(const QIcon &i, const QString &t) override {
        if (onAdd)
            onAdd();
        icon = i;
        tip = cutTip(t);
        added = true;
        calls << "add " + tip;
    }
    void setIcon(const QIcon &i) override {
        icon = i;
        calls << "setIcon";
    }
    void setTip(const QString &t) override {
        tip = cutTip(t);
        calls << "setTip " + tip;
    }
    void remove() override {
        added = false;
        calls << "remove";
    }
    bool isAdded() const override { return added; }
    void setMenu(QMenu *m) override { menu = m; }
    void showMessage(const QString &, const QString &text) override { messages << text; }

    void doubleClick() { emit doubleClicked(); }
};

class FakeDialogs final : public Dialogs {
public:
    struct Info {
        QString title;
        QString text;
    };
    QList<Info> infos;
    QStringList fileDialogs; // "title|filter"
    QString fileAnswer;      // what the file dialog returns
    QList<QUrl> opened;

    void information(QWidget *, const QString &title, const QString &text) override {
        infos.append({title, text});
    }
    QString openFileName(QWidget *, const QString &title, const QString &filter) override {
        fileDialogs << title + "|" + filter;
        return fileAnswer;
    }
    bool openUrl(const QUrl &url) override {
        opened << url;
        return true;
    }
    // Questions asked ("title|text"), answered in turn from `answers`
    // (Cancel once they run out).
    QStringList questions;
    QList<Answer> answers;
    Answer question(QWidget *, const QString &title, const QString &text, bool) override {
        questions << title + "|" + text;
        return answers.isEmpty() ? Answer::Cancel : answers.takeFirst();
    }
    QStringList fileListDialogs; // "title|filter;;filter"
    QStringList filesAnswer;     // what the several-files dialog returns
    QStringList openFileNames(QWidget *, const QString &title,
                              const QStringList &filters) override {
        fileListDialogs << title + "|" + filters.join(";;");
        return filesAnswer;
    }
};

} // namespace kolva::test
