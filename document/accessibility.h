#pragma once

/// What a screen reader gets from the program's texts.
namespace Accessibility {

/// Gives the documents' text boxes and every line edit of the program,
/// those of the toolkit's own dialogs included, the answers a screen reader
/// needs at every offset. Called at start, before any field is made; more
/// calls do nothing.
void install();

} // namespace Accessibility
