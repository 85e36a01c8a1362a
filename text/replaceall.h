#pragma once

#include "searchquery.h"

#include <QStringView>

#include <functional>

class TextModel;

/// Replaces every match of query in [from, to) of model with replacement,
/// left to right without overlap, as one edit: the new text of the stretch
/// from the first match to the end of the last is built into chunks in one
/// pass over the stored text, then put in place at once; what lies in the
/// pieces of a file between the matches stays there (RangeCopier). Returns
/// how many were replaced.
///
/// mayBuild, when given, is asked each time another megabyte of characters
/// has been built in memory, with how many in all; when it says no, the
/// replacement stops and changes nothing, and gives -1.
qint64 replaceAll(TextModel &model, const SearchQuery &query, QStringView replacement, qint64 from,
                  qint64 to, const std::function<bool(qint64 characters)> &mayBuild = {});
