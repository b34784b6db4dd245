#include "common/fit_caption.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <algorithm>

int CaptionWidth(const QWidget* control) {
    if (const auto* push = qobject_cast<const QPushButton*>(control)) {
        // The style may widen a button beyond that; its text is drawn
        // within its frame.
        const int frame = push->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, push);
        const int icon = push->icon().isNull() ? 0 : push->iconSize().width() + 4;
        return push->fontMetrics().horizontalAdvance(push->text()) + icon + 2 * frame + 4;
    }
    if (const auto* label = qobject_cast<const QLabel*>(control)) return label->sizeHint().width();
    if (const auto* button = qobject_cast<const QAbstractButton*>(control)) return button->sizeHint().width();
    return control->width();
}

void FitCaption(QWidget* control, Qt::Edge side, int limit) {
    if (CaptionWidth(control) <= control->width()) return;
    // Grown, it keeps a little room about its caption (a centred one off
    // the control beside it).
    const int needed = CaptionWidth(control) + 4;
    QRect r = control->geometry();
    if (side == Qt::LeftEdge)
        r.setLeft(std::min(r.left(), std::max(limit, r.right() + 1 - needed)));
    else
        r.setRight(std::max(r.right(), std::min(limit, r.left() + needed - 1)));
    control->setGeometry(r);
    QFont font = control->font();
    while (CaptionWidth(control) > control->width() && font.pointSizeF() > 7) {
        font.setPointSizeF(font.pointSizeF() - 0.25);
        control->setFont(font);
    }
}
