#pragma once
// A scroll bar that is not painted again when its range changes but its picture would not. The
// receive box changes its range with every append, 20 times a second, and once the box holds
// a few pages the slider mostly moves by less than a pixel.

#include <optional>

#include <QRect>
#include <QScrollBar>

class SteadyScrollBar : public QScrollBar {
    Q_OBJECT

public:
    explicit SteadyScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);

protected:
    void sliderChange(SliderChange change) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // What a range change can alter in the picture.
    struct Look {
        QRect slider;
        int state;  // QStyle::State: enabled, active window
        bool atMinimum;
        bool atMaximum;
        bool operator==(const Look&) const = default;
    };
    Look look() const;

    std::optional<Look> painted_;
};
