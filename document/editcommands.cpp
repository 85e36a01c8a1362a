#include "editcommands.h"

EditCommands::EditCommands(DocumentHost &host, const Clock &clock) : host_(host), clock_(clock) {}

void EditCommands::Cut() {}
void EditCommands::Copy() {}
void EditCommands::Paste() {}
void EditCommands::SelectAll() {}
void EditCommands::InsertTimeAndDate() {}
