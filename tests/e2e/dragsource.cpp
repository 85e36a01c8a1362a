// A stand-in for a file manager in the end-to-end tests: a small window that
// starts a drag of the files named on its command line when pressed, with
// their file:// addresses as a URL list and as text, as file managers give
// them. The drag goes through the X server's drag-and-drop protocol to
// whatever window it is dropped on. It prints what the drop did and, like a
// file manager, stays: the window dropped on asks for the data after the
// drop.
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>

#include <cstdio>

class DragSource : public QWidget
{
public:
    explicit DragSource(QList<QUrl> urls) : urls_(std::move(urls))
    {
        setWindowTitle(QStringLiteral("sorgente del trascinamento"));
        resize(160, 120);
    }

protected:
    void mousePressEvent(QMouseEvent *) override
    {
        auto *data = new QMimeData;
        data->setUrls(urls_);
        QStringList text;
        for (const QUrl &url : urls_)
            text << url.toString();
        data->setText(text.join(u'\n'));
        // Made on the heap and left to Qt: the window dropped on asks for the
        // data after exec() has returned, and Qt keeps the drag until then.
        auto *drag = new QDrag(this);
        drag->setMimeData(data);
        const Qt::DropAction action =
            drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction);
        std::printf("dropped: %s\n", action == Qt::CopyAction   ? "copy"
                                     : action == Qt::MoveAction ? "move"
                                     : action == Qt::LinkAction ? "link"
                                                                : "nothing");
        std::fflush(stdout);
    }

private:
    QList<QUrl> urls_;
};

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QList<QUrl> urls;
    for (const QString &path : QApplication::arguments().mid(1))
        urls << QUrl::fromLocalFile(path);
    DragSource source(urls);
    source.move(0, 0);
    source.show();
    return application.exec();
}
