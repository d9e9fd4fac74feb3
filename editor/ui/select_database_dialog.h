// TFrmSelDatabase: the one modal dialog through which every command chooses a database (by
// alias of the aliases file or by directory) and, where asked, one table or all. In comparison
// mode a table must be chosen and the one of the given name is preselected. The recent
// directories and the last choice live in section "DBPATHS" of the settings file.
#pragma once
#include <QDialog>
#include <stdexcept>
#include <string>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace vortab::ui {

inline constexpr const char* kAllTables = "<ALL TABLES>";
inline constexpr int kDirectoryHistoryLimit = 10;

class TFrmSelDatabase : public QDialog {
    Q_OBJECT
public:
    // iniPath: the settings file; driver: the table driver name ("PARADOX", ...).
    TFrmSelDatabase(std::string iniPath, std::string driver, QWidget* parent = nullptr);
    ~TFrmSelDatabase() override;  // saves the history

    // Shows the dialog; on OK gives the table (empty for all) and the database (alias or
    // directory, UTF-8 as shown).
    bool SelectDatabase(const QString& caption, bool hideTable, const QString& compareTable, QString& table,
                        QString& database);

    // The chosen alias or existing directory; throws std::runtime_error when there is none.
    QString GetSelectedDatabase() const;
    void FillTableList(const QString& database);
    void SaveHistory() const;

    QGroupBox* RadioAlias;
    QRadioButton* byAlias;
    QRadioButton* byDirectory;
    QComboBox* AliasCombo;
    QComboBox* DirectoryCombo;
    QPushButton* ButtonBrowse;
    QLabel* Label3;
    QComboBox* tableCombo;
    QPushButton* okButton;

    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillAliasList();
    void LoadHistory();
    void updateEnabling();
    void refillTables();
    void browse();
    QString databaseDirectory(const QString& database) const;

    std::string iniPath_;
    std::string driver_;
    QString compareTable_;
    bool historyLoaded_ = false;
    bool tableHidden_ = false;
};

}  // namespace vortab::ui
