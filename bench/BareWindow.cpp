// The start-up baseline: the smallest Qt Widgets program that shows a window
// painting one line of text. Its own executable, so it loads only QtWidgets.
// Prints "painted <CLOCK_MONOTONIC ns>" and "rss <KiB>" after its first paint.

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <ctime>

namespace {

class TextWindow : public QWidget
{
protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("Talvoro"));
        if (m_painted)
            return;
        m_painted = true;
        QTimer::singleShot(0, [] {
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            QFile status(QStringLiteral("/proc/self/status"));
            qint64 rss = -1;
            if (status.open(QIODevice::ReadOnly)) {
                for (const QByteArray &line : status.readAll().split('\n')) {
                    if (line.startsWith("VmRSS:"))
                        rss = line.mid(6).trimmed().split(' ').value(0).toLongLong();
                }
            }
            std::printf("painted %lld\nrss %lld\n", qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec, rss);
            std::fflush(stdout);
            QCoreApplication::quit();
        });
    }

private:
    bool m_painted = false;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TextWindow window;
    window.resize(900, 600);
    window.show();
    return app.exec();
}
