#pragma once

#include "findcommands.h"

#include "text/searchquery.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

class TextView;

/// Find in a document held in pieces of its file, on threads of its own:
/// the window stays live, the document may be scrolled meanwhile, and Esc,
/// an edit of the document, closing it or a new search stops the search at
/// once. The search runs over a snapshot of the document's text taken when
/// it starts; what it finds is selected as find() selects it.
class BackgroundFind : public QObject
{
    Q_OBJECT

public:
    /// Called with the view and the outcome once a search has ended.
    using Done = std::function<void(TextView &view, FindCommands::Outcome outcome)>;

    explicit BackgroundFind(QObject *parent = nullptr);
    ~BackgroundFind() override;

    /// Whether view's document is searched here: it holds pieces of its
    /// file, and little enough text in memory for the snapshot to copy.
    static bool suits(const TextView &view);

    /// Searches view's text from its selection on (or back); false when no
    /// thread could be started, or no memory had for the snapshot. A search
    /// under way is stopped first.
    bool start(TextView &view, const SearchQuery &query, bool forward, Done done);
    /// Stops the search under way, if any; done is not called for it.
    void stop();
    bool isRunning() const { return run_ != nullptr; }

signals:
    /// The person stopped the search (Esc).
    void interrupted();
    /// The search ended without an answer: its document went, or there was
    /// not the memory to read on (outOfMemory).
    void abandoned(bool outOfMemory);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Run;
    void finish(const std::shared_ptr<Run> &run, const std::optional<WrappedMatch> &found,
                bool outOfMemory);
    /// Stops the search because its document went.
    void documentGone();

    std::shared_ptr<Run> run_;
    QPointer<TextView> view_;
    Done done_;
    std::vector<QMetaObject::Connection> watches_;
};
