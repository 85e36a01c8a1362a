#pragma once

class Clock;
class DocumentHost;

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
    DocumentHost &host_;
    const Clock &clock_;
};
