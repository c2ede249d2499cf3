#include "app/WindowShortcuts.h"

#include <QStringList>

namespace app {

QList<QKeySequence> OpenKeys() {
    return {QKeySequence(Qt::CTRL | Qt::Key_O)};
}

QList<QKeySequence> SaveKeys() {
    return {QKeySequence(Qt::CTRL | Qt::Key_S)};
}

QList<QKeySequence> TestKeys() {
    return {QKeySequence(Qt::CTRL | Qt::Key_T), QKeySequence(Qt::Key_F9)};
}

QList<QKeySequence> HelpKeys() {
    return {QKeySequence(Qt::Key_F1)};
}

QString KeysText(const QList<QKeySequence>& keys) {
    QStringList texts;
    for (const QKeySequence& key : keys) {
        texts.append(key.toString(QKeySequence::NativeText));
    }
    return texts.join(QStringLiteral(", "));
}

QString KeysText(QKeySequence::StandardKey key) {
    return KeysText(QKeySequence::keyBindings(key));
}

} // namespace app
