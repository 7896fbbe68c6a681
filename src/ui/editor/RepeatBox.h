#pragma once
// The "循环" check box of a region or a song with the number of passes
// (plays) beside it. Checked means endless (-1); while it is cleared a small
// box asks for 1 to 999 passes.
//
// An untouched setting keeps the stored number: a region stored with
// Repeat 3 comes back as 3, a song with 2 as 2, whatever else is edited. Only
// a click on "循环" (checked -1, cleared 0) or a new number in the box
// (n, or 0 for one pass) replaces it.
//
// Thread: UI thread.

#include <QWidget>
#include <cstdint>

class QCheckBox;
class QLabel;
class QSpinBox;

namespace kolva {

class RepeatBox : public QWidget {
    Q_OBJECT
public:
    // unit: the word after the number ("遍" passes of a region, "次" plays of
    // a song); countName: the accessible name of the number box.
    RepeatBox(const QString &unit, const QString &countName, QWidget *parent = nullptr);

    // Shows a stored value without raising `edited`: negative values show
    // "循环" checked, 0 and 1 one pass, n >= 2 the number n (the box shows at
    // most 999; the stored number is kept).
    void setRepeat(int32_t stored);
    // The stored value, or the user's choice once the user has made one.
    int32_t repeat() const { return m_repeat; }

    QCheckBox *loopBox() const { return m_loop; }
    QSpinBox *countBox() const { return m_count; }

    static constexpr int MaxCount = 999;

signals:
    // The user clicked "循环" or changed the number.
    void edited();

private:
    void showCount();

    QCheckBox *m_loop;
    QSpinBox *m_count;
    QLabel *m_unit;
    int32_t m_repeat = 0;
    bool m_filling = false;
};

} // namespace kolva
