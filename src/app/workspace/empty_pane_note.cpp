#include "app/workspace/empty_pane_note.h"

#include <QEvent>
#include <QPalette>

namespace tessel::app {

EmptyPaneNote::EmptyPaneNote(const QString& text, QWidget* over) : QLabel(text, over) {
    setObjectName("emptyPaneNote");
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    setMargin(12);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setForegroundRole(QPalette::PlaceholderText);
    setGeometry(over->rect());
    over->installEventFilter(this);
}

bool EmptyPaneNote::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QLabel::eventFilter(watched, event);
}

void EmptyPaneNote::showEvent(QShowEvent* event) {
    setGeometry(parentWidget()->rect());
    QLabel::showEvent(event);
}

}  // namespace tessel::app
