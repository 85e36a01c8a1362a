#pragma once

#include "journalentry.h"

#include <functional>

/// The record that starts a journal: where its text came from.
JournalRecord originRecord(const JournalOrigin &origin);

/// Every record an entry makes, in order: a text in pieces of at most
/// JournalRecord::MaxTextBytes bytes each, an edit as its removal then its
/// insertion.
void recordsOf(const JournalEntry &entry, const std::function<void(const JournalRecord &)> &put);
