// The Options window: programs, options and the default connection type.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/platform.h"

class QCloseEvent;
class QShowEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// Shows a file-open dialog and returns the chosen file's full path, or an empty text.
using FileOpenFunction = std::function<QString()>;

// One "Choose Program" button's dialog: invisible, lives as long as the window.
class FileOpenDialog : public QObject {
    Q_OBJECT
  public:
    FileOpenDialog(FileOpenFunction show, const QString& name, QObject* parent);

    // Shows the dialog and waits for it; FileName is then the choice or empty.
    void ShowOpen();
    QString FileName;

  private:
    FileOpenFunction m_show;
};

class LintaraOptions : public QWidget {
    Q_OBJECT
  public:
    // mainWindow is shown again however this window closes. The window deletes itself
    // when closed, so each opening starts from the settings file again.
    LintaraOptions(lintara::PlatformServices& services, FileOpenFunction fileOpen,
                   QWidget* mainWindow);

    // Reads all thirteen values from the settings file into the window.
    void Form_Load();

    // The default connection type chosen in the window, written as "Type" on OK.
    QString Tag;
    std::string SettingsPath;

    // The control's place in the tab order; labels and frames have one too.
    int TabIndex(const QWidget* control) const;

    // The controls, by the names the rest of the program uses.
    QGroupBox* TSFrame;
    QLineEdit* TSText;
    QPushButton* TSChooseButton;
    QLabel* TSCommandLineLabel;
    QLineEdit* TSCommandLineOptionsText;
    QGroupBox* RDPConsoleFrame;
    QLineEdit* RDPConsoleText;
    QPushButton* RDPConsoleChooseButton;
    QLabel* RDPConsoleCommandLineLabel;
    QLineEdit* RDPConsoleCommandLineOptionsText;
    QGroupBox* VNCFrame;
    QLineEdit* VNCText;
    QPushButton* VNCChooseButton;
    QLabel* VNCCommandLineLabel;
    QLineEdit* VNCCommandLineOptionsText;
    QGroupBox* TelnetFrame;
    QLineEdit* TelnetText;
    QPushButton* TelnetChooseButton;
    QLabel* TelnetCommandLineLabel;
    QLineEdit* TelnetCommandLineOptionsText;
    QGroupBox* SSHFrame;
    QLineEdit* SSHText;
    QPushButton* SSHChooseButton;
    QLabel* SSHCommandLineLabel;
    QLineEdit* SSHCommandLineOptionsText;
    QGroupBox* Frame1;
    QLineEdit* FTPText;
    QPushButton* FTPChooseButton;
    QLabel* Label1;
    QLineEdit* FTPCommandLineOptionsText;
    QGroupBox* DefalutFrame;
    QRadioButton* TermServiceOption;
    QRadioButton* RDPConsoleOption;
    QRadioButton* VNCOption;
    QRadioButton* TelnetOption;
    QRadioButton* SSHOption;
    QRadioButton* PingOption;
    QPushButton* CancelButton;
    QPushButton* OKButton;
    FileOpenDialog* TSCmnDialog;
    FileOpenDialog* RDPConsoleCmnDialog;
    FileOpenDialog* VNCCmnDialog;
    FileOpenDialog* TelnetCmnDialog;
    FileOpenDialog* SSHCmnDialog;
    FileOpenDialog* FTPCmnDialog;

    // Event handlers.
    void PingOption_Click();
    void TermServiceOption_Click();
    void RDPConsoleOption_Click();
    void VNCOption_Click();
    void TelnetOption_Click();
    void SSHOption_Click();
    void OKButton_Click();
    void CancelButton_Click();
    void TSChooseButton_Click();
    void RDPConsoleChooseButton_Click();
    void VNCChooseButton_Click();
    void TelnetChooseButton_Click();
    void SSHChooseButton_Click();
    void FTPChooseButton_Click();
    // Runs at every closing; leaves cancel unset, so the window always closes.
    void Form_Unload(bool& cancel);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool focusNextPrevChild(bool next) override;

  private:
    // A text field and the key it holds. When the stored bytes are not UTF-8 they are
    // shown decoded as code page 1252 and kept, so an unedited field saves them as read.
    struct Field {
        const char* section;
        const char* key;
        QLineEdit* box;
        QString shown;
        std::optional<std::string> original;
    };

    void CreateControls();
    void ApplyTabOrder();
    void ConnectHandlers();
    void PlaceOnScreen();
    void LoadAllSettings();
    void LoadSetting(const std::string& section, const std::string& key, QWidget* field);
    void Choose(FileOpenDialog* dialog, QLineEdit* field);

    lintara::PlatformServices& m_services;
    FileOpenFunction m_fileOpen;
    QPointer<QWidget> m_mainWindow;
    std::vector<Field> m_fields;       // in the order of every load and save
    std::vector<QWidget*> m_tabOrder;  // every control, by tab index
    std::vector<QRadioButton*> m_defaultTypeOptions;
    bool m_placed = false;
};
