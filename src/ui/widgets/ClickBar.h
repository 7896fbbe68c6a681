#pragma once
// pgPlay and pgVolume: a progress bar that takes a left click as a position.
// Values are seconds (pgPlay) or volume steps (pgVolume) as doubles; the bar
// keeps them in thousandths so fractions of a second still move it.
//
// The click rule: x = the mouse position plus 120 twips, limited to
// 0..width; the fraction x / width is reported on the release of the left
// button. 120 twips are 1/12 inch, converted with the bar's own DPI
// (8 px at 96 dpi).

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
    void leftReleased(double fraction);

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    static constexpr double kScale = 1000.0;
};

} // namespace kolva
