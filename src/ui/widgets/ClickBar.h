#pragma once
// pgPlay and pgVolume: a progress bar that takes a left click as a position.
// Values are seconds (pgPlay) or volume steps (pgVolume) as doubles; the bar
// keeps them in thousandths so fractions of a second still move it.
//
// The click rule: x = the mouse position plus 120 twips, limited to
// 0..width; the fraction x / width is reported on the release of the left
// button. 120 twips are 1/12 inch, converted with the bar's own DPI
// (8 px at 96 dpi).
//
// By keyboard (the bar takes the focus and shows it): the arrow keys move a
// twentieth of the range from the shown value, Page Up and Page Down a fifth,
// Home and End go to the ends; each reports the fraction as a click would.

#include <QProgressBar>

namespace kolva {

class ClickBar : public QProgressBar {
    Q_OBJECT
public:
    explicit ClickBar(QWidget *parent = nullptr);

    void setRangeF(double minimum, double maximum);
    void setValueF(double value);
    double minimumF() const { return minimum() / kScale; }
    double maximumF() const { return maximum() / kScale; }
    double valueF() const { return value() / kScale; }

    // The fraction for a release at x (widget pixels) on a bar of the given
    // width, with the 120 twips offset converted at dpi.
    static double clickFraction(int x, int width, double dpi);

signals:
    // A left release at a position, or a key: the fraction of the range.
    void positionChosen(double fraction);

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    static constexpr double kScale = 1000.0;
};

} // namespace kolva
