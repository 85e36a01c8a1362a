#pragma once

#include <QApplication>

#include <functional>

/// The program's application object. A command that runs out of memory
/// (an allocation the system refuses) ends alone, with a message, instead
/// of taking the program and every document with it.
class Application : public QApplication
{
public:
    Application(int &argc, char **argv);

    /// Called, once the event has been given up, when handling it ran out
    /// of memory.
    void setOutOfMemory(std::function<void()> tell) { outOfMemory_ = std::move(tell); }

    bool notify(QObject *receiver, QEvent *event) override;

private:
    std::function<void()> outOfMemory_;
};
