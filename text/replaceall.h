#pragma once

#include "searchquery.h"

#include <QStringView>

class TextModel;

/// Replaces every match of query in [from, to) of model with replacement,
/// left to right without overlap, as one edit: the new text of the stretch
/// from the first match to the end of the last is built into chunks in one
/// pass over the stored text, then put in place at once. Returns how many
/// were replaced.
qint64 replaceAll(TextModel &model, const SearchQuery &query, QStringView replacement, qint64 from,
                  qint64 to);
