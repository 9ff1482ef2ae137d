#include "QrCodeView.h"

#include <QPainter>

namespace corvanta {

namespace {

constexpr int kQuietModules = 4;

} // namespace

QrCodeView::QrCodeView(QWidget *parent) : QWidget(parent) {}

void QrCodeView::setText(const QString &text)
{
    m_text = text;
    m_matrix = console::encodeQr(text);
    setToolTip(text);
    update();
}

void QrCodeView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (m_matrix.isEmpty())
        return;
    // Work in device pixels so every module edge falls on a pixel edge.
    const qreal ratio = devicePixelRatioF();
    const int deviceWidth = qFloor(width() * ratio);
    const int deviceHeight = qFloor(height() * ratio);
    const int modules = m_matrix.size + 2 * kQuietModules;
    const int module = qMax(1, qMin(deviceWidth, deviceHeight) / modules);
    const int left = (deviceWidth - module * m_matrix.size) / 2;
    const int top = (deviceHeight - module * m_matrix.size) / 2;
    painter.scale(1 / ratio, 1 / ratio);
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (int y = 0; y < m_matrix.size; ++y) {
        for (int x = 0; x < m_matrix.size; ++x) {
            if (m_matrix.dark(x, y))
                painter.fillRect(left + x * module, top + y * module, module, module, Qt::black);
        }
    }
}

} // namespace corvanta
