// The main window: host, port, connection type, drive-mapping panel and Connect.
#pragma once

#include <QString>
#include <QWidget>
#include <string>
#include <vector>

#include "core/platform.h"
#include "core/start_watch.h"
#include "options_window/LintaraOptions.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;

class Lintara : public QWidget {
    Q_OBJECT
  public:
    // services carries every message, start and file test; fileOpen is handed on to
    // the Options window.
    Lintara(lintara::PlatformServices& services, FileOpenFunction fileOpen,
            QWidget* parent = nullptr);

    // Runs once before the window is first shown; may end the program instead.
    void Form_Load();

    // The connection type key of the selected type; the launch dispatches on it.
    QString Tag = QStringLiteral("SSH");

    std::string SettingsPath;
    // The configured program of the last configured launch and its filled-in options.
    std::string ProgramPath;
    std::string ProgramOptions;

    // The control's place in the tab order; labels and frames have one too.
    int TabIndex(const QWidget* control) const;

    // The controls, by the names the rest of the program uses.
    QGroupBox* ConnectToFrame;
    QGroupBox* MapDriveFrame;
    QPushButton* ConnectButton;
    QLineEdit* ConnectText;
    QLineEdit* PortText;
    QLabel* Label1;
    QLabel* PortLabel;
    QRadioButton* TermServiceOption;
    QRadioButton* RDPConsoleOption;
    QRadioButton* VNCOption;
    QRadioButton* TelnetOption;
    QRadioButton* SSHOption;
    QRadioButton* PingOption;
    QRadioButton* MapDriveOption;
    QRadioButton* FTP;
    QRadioButton* HTTPOption;
    QRadioButton* HTTPSOption;
    QPushButton* Options;
    QCheckBox* Anonymous;
    QLineEdit* UserNameText;
    QLineEdit* PasswordText;
    QLabel* UserNameLabel;
    QLabel* PasswordLabel;
    QComboBox* ShareText;
    QComboBox* DriveText;
    QLabel* DriveLabel;
    QLabel* ShareLabel;

    // Event handlers.
    void ConnectButton_Click();
    void Options_Click();
    void HTTPSOption_Click();
    void FTP_Click();
    void HTTPOption_Click();
    void RDPConsoleOption_Click();
    void PingOption_Click();
    void SSHOption_Click();
    void TelnetOption_Click();
    void TermServiceOption_Click();
    void VNCOption_Click();
    void MapDriveOption_Click();
    void ConnectText_Change();
    void Anonymous_Click();

  protected:
    void showEvent(QShowEvent* event) override;
    // The user closed the window: the program ends.
    void closeEvent(QCloseEvent* event) override;

  private:
    void CreateControls();
    void ConnectHandlers();
    void SelectDefaultConnection();
    void LaunchConnection();
    void SelectType(const QString& port, const QString& key);
    void SetPanelEnabled(bool enabled);
    void ApplyAnonymousRule();
    void FillShareList();
    void Select(QRadioButton* option);
    void MoveInTabOrder(QWidget* control, int index);
    void ApplyTabOrder();
    void Watch(std::vector<long> tasks, bool endsProgram);
    void CheckWatches();

    lintara::PlatformServices& m_services;
    FileOpenFunction m_fileOpen;
    std::vector<QWidget*> m_tabOrder;  // every control, by tab index
    bool m_shownBefore = false;
    bool m_ending = false;  // the program is ending: closing the window ends nothing more
    // What launches started, watched for an early failure; endsProgram for a launch
    // that hid the window and ends the program once the watch is over.
    struct Watched {
        lintara::StartWatch watch;
        bool endsProgram;
    };
    std::vector<Watched> m_watches;
    QTimer* m_watchTimer = nullptr;
    bool m_checking = false;
};
