#pragma once

// A one-line label as the phone's labels are: text that does not fit ends
// in an ellipsis ("Photograp…") instead of being cut mid-letter. The label
// keeps its whole text (text() returns it); only the drawing is shortened.
// A kept tail, such as a row's " (12)", stays whole after the ellipsis.

#include <QFontMetrics>
#include <QLabel>
#include <QString>

namespace nestora::ui {

// `text` cut at its tail to fit `width` with an ellipsis, keeping its last
// `keptTail` characters after the ellipsis; the text itself when it fits.
QString tailTruncated(const QString& text, const QFontMetrics& metrics, int width, int keptTail = 0);

class TruncatingLabel : public QLabel {
    Q_OBJECT
public:
    explicit TruncatingLabel(QWidget* parent = nullptr);

    // How many characters at the end stay whole (0: plain tail truncation).
    void setKeptTailLength(int characters);
    int keptTailLength() const { return keptTail_; }

    // What the label draws at its present width.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int keptTail_ = 0;
};

}  // namespace nestora::ui
