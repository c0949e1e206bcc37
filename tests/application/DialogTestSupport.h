#pragma once

#include "TestApp.h"

#include <QCheckBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QStyleOptionButton>
#include <QTest>

namespace Kavrel::Test
{

// Acts once on the first shown top-level dialog of type T, from inside
// whatever event loop runs (a modal exec() included). Dialogs of that type
// still shown at the deadline are closed, so that a test whose dialog never
// goes away fails instead of hanging.
template <class T> class DialogWatcher
{
public:
    explicit DialogWatcher(std::function<void(T*)> act,
                           std::chrono::milliseconds deadline = std::chrono::seconds(10))
    {
        clock.start();
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout,
                         [this, act, deadline]
                         {
                             for (QWidget* widget : QApplication::topLevelWidgets())
                             {
                                 auto* dialog = qobject_cast<T*>(widget);
                                 if (!dialog || !dialog->isVisible())
                                     continue;
                                 if (clock.elapsed() > deadline.count())
                                 {
                                     timedOut = true;
                                     dialog->done(QDialog::Rejected);
                                 }
                                 else if (!seen)
                                 {
                                     seen = true;
                                     act(dialog);
                                 }
                                 return;
                             }
                         });
        timer.start();
    }
    bool Seen() const { return seen; }
    bool TimedOut() const { return timedOut; }

private:
    QTimer timer;
    QElapsedTimer clock;
    bool seen = false;
    bool timedOut = false;
};

// Ticks or clears a check box the way a user does: a click on its indicator.
inline void ClickCheckBox(QCheckBox* box)
{
    QStyleOptionButton option;
    option.initFrom(box);
    const QRect indicator = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, indicator.center());
}

} // namespace Kavrel::Test
