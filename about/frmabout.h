#pragma once

#include "sysinfolauncher.h"

#include <QDialog>

#include <array>

class Announcement;
class FileLookup;
class MessageBox;
class PictureBox;
class ProcessLauncher;
class QLabel;
class QPushButton;
class Registry;

/// The About box: title, description, free-distribution notice and contact
/// address; a double click on the address copies it (so do Enter and Ctrl+C
/// on it, reached with Tab) and says so to a screen reader, and System Info
/// starts the system-information tool. Shown modally over its owner, made
/// afresh each time.
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    frmAbout(ProcessLauncher &launcher, FileLookup &files, Registry &registry, MessageBox &messages,
             QWidget *owner);

    /// The address shown after "E-mail : " and copied by a double click.
    static QString contactAddress();

    PictureBox *picIcon = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdSysInfo = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *lblDescription = nullptr;
    QLabel *lblTitle = nullptr;
    /// The rule under the description: [1] the dark line, [0] the light one.
    std::array<QWidget *, 2> Line1 = {};
    QLabel *lblDisclaimer = nullptr;

    void cmdOK_Click();
    void cmdSysInfo_Click();
    void Label1_DblClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void createPicture();
    void createButtons();
    void createTexts();
    void createRule();
    QWidget *ownerWindow() const;
    void bringBackMinimised();
    void placeControls();
    void centreOnOwner();
    bool placeControlsAt(double pixelsPerTwip);

    SysInfoLauncher sysInfo_;
    /// Tells a screen reader that the address was copied.
    Announcement *copied_;
};
