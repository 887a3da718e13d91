#pragma once

#include <QLabel>

// A label whose words are spread across its width instead of being set as one line. By
// default each word stands centred in its own equal share of the width (column heads over
// equal columns); with edgesFlush the first word is flush with the left edge, the last with the
// right edge and the others centred at even steps between them (scale numbers over a slider's
// ends and middle). The text stays the label's own: a language switch sets it, a test reads it.
class SpreadLabel : public QLabel {
    Q_OBJECT
    Q_PROPERTY(bool edgesFlush READ EdgesFlush WRITE SetEdgesFlush)

public:
    explicit SpreadLabel(QWidget* parent = nullptr);

    bool EdgesFlush() const { return m_bEdgesFlush; }
    void SetEdgesFlush(bool flush);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QStringList Words() const;

    bool m_bEdgesFlush = false;
};
