#pragma once

/// What a person asks of find and replace from a text view: the dialog with
/// the find field or the replace field ready, or the next or previous
/// occurrence of the last search.
enum class FindRequest {
    Find,
    Replace,
    Next,
    Previous,
};
