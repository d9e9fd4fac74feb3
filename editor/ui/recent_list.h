// RecentList: one of the main window's recent-item menus (script files, databases applied to,
// databases scripted). Most recent first, at most 10 entries after an addition; an entry that
// is already listed keeps its place. A click hands the entry's text on. Stored in an INI
// section as H1, H2, ... in menu order.
#pragma once
#include <QObject>
#include <QStringList>
#include <string_view>

class QAction;
class QMenu;
class QWidget;

namespace vortab::ui {

class IniDocument;

inline constexpr int kRecentListLimit = 10;

class RecentList : public QObject {
    Q_OBJECT
public:
    explicit RecentList(QWidget* parent);

    QMenu* menu() const { return menu_; }
    QStringList items() const;

    // Looks for text without regard to case: found and remove, it goes; found otherwise, the
    // list stays as it is; not found and not remove, it goes first after the list is cut to 9.
    void AddHistory(const QString& text, bool remove = false);
    // Appends the text after the first "=" of every line of the section, in file order.
    void LoadHistory(const IniDocument& ini, std::string_view section);
    // Replaces the section by the entries in menu order.
    void SaveHistory(IniDocument& ini, std::string_view section) const;

signals:
    void chosen(const QString& text);

private:
    QAction* makeAction(const QString& text);
    void append(const QString& text);
    void insertFirst(const QString& text);
    QMenu* menu_;
};

}  // namespace vortab::ui
