#pragma once
// Captions that fit: a control placed where it was designed, whose caption
// comes out wider than designed (a translation, another desktop font), grows
// toward one side as far as it may; a caption that still does not fit is
// drawn a little smaller, down to 7 points.
#include <Qt>

class QWidget;

// The width `control` needs to show its caption whole: a label's, a push
// button's (its text within its frame) or another button's.
int CaptionWidth(const QWidget* control);
// Grows `control` toward `side` (Qt::LeftEdge or Qt::RightEdge; its other
// edge stays) until its caption fits, its moving edge going no further than
// `limit` (an x of its parent), then shrinks its font if need be.
void FitCaption(QWidget* control, Qt::Edge side, int limit);
