#pragma once

class Clock;
class DocumentHost;
class TextBox;

/// Cut, Copy, Paste, Select All and the time and date, on the active
/// document's text box and the system clipboard.
class EditCommands
{
public:
    EditCommands(DocumentHost &host, const Clock &clock);

    void Cut();
    void Copy();
    void Paste();
    void SelectAll();
    void InsertTimeAndDate();

private:
    /// The active document's text box, or nullptr when no document is open.
    TextBox *activeTextBox() const;

    DocumentHost &host_;
    const Clock &clock_;
};
