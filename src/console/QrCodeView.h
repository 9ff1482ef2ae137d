#pragma once

#include "console/QrCode.h"

#include <QWidget>

namespace corvanta {

// A QR code drawn with whole device pixels per module, centred on white with a quiet
// zone, so that it stays sharp at any size and screen scale.
class QrCodeView : public QWidget
{
    Q_OBJECT
public:
    explicit QrCodeView(QWidget *parent = nullptr);

    void setText(const QString &text);
    QString text() const { return m_text; }
    const console::QrMatrix &matrix() const { return m_matrix; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_text;
    console::QrMatrix m_matrix;
};

} // namespace corvanta
