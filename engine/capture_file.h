#pragma once
// One file that captures a stream of a program the command runner starts.
// It is always a new file: never an existing one and never reached through a
// symbolic link, so a link planted in a shared temporary folder cannot
// redirect a tool's output; it is readable by its owner only. The owner closes
// it and deletes it when it goes, on every path out of the runner.

#include <QByteArray>
#include <QString>

class CaptureFile {
public:
    explicit CaptureFile(QString path);
    ~CaptureFile();
    CaptureFile(const CaptureFile &) = delete;
    CaptureFile &operator=(const CaptureFile &) = delete;

    // False when the file could not be created new (nothing at the path was
    // touched then), or nothing can be written to it (a full file system, a
    // file size limit of zero; it is removed again).
    bool isOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    // The system's error number when the file could not be created, else 0.
    int error() const { return m_error; }

    // Everything written to the file, read through the runner's own handle, so
    // that nothing put at the path in the meantime is read instead. Empty when
    // the file cannot be read.
    QByteArray readAll() const;

private:
    QString m_path;
    int m_fd = -1;
    int m_error = 0;
};
