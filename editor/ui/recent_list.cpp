#include "editor/ui/recent_list.h"

#include <QAction>
#include <QMenu>

#include "editor/ui/ini_document.h"

namespace vortab::ui {

RecentList::RecentList(QWidget* parent) : QObject(parent), menu_(new QMenu(parent)) {}

QStringList RecentList::items() const {
    QStringList texts;
    for (const QAction* action : menu_->actions()) texts << action->text();
    return texts;
}

void RecentList::AddHistory(const QString& text, bool remove) {
    for (QAction* action : menu_->actions()) {
        if (action->text().compare(text, Qt::CaseInsensitive) != 0) continue;
        if (remove) {
            menu_->removeAction(action);
            action->deleteLater();
        }
        return;
    }
    if (remove) return;
    while (menu_->actions().size() >= kRecentListLimit) {
        QAction* last = menu_->actions().last();
        menu_->removeAction(last);
        last->deleteLater();
    }
    insertFirst(text);
}

void RecentList::LoadHistory(const IniDocument& ini, std::string_view section) {
    for (const auto& [key, value] : ini.entries(section)) append(QString::fromStdString(value));
}

void RecentList::SaveHistory(IniDocument& ini, std::string_view section) const {
    ini.eraseSection(section);
    int n = 0;
    for (const QString& text : items()) ini.set(section, "H" + std::to_string(++n), text.toStdString());
}

QAction* RecentList::makeAction(const QString& text) {
    auto* action = new QAction(text, menu_);
    connect(action, &QAction::triggered, this, [this, action] { emit chosen(action->text()); });
    return action;
}

void RecentList::append(const QString& text) { menu_->addAction(makeAction(text)); }

void RecentList::insertFirst(const QString& text) {
    const QList<QAction*> actions = menu_->actions();
    menu_->insertAction(actions.isEmpty() ? nullptr : actions.first(), makeAction(text));
}

}  // namespace vortab::ui
