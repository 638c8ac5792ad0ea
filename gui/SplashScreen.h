#pragma once

#include <QTimer>
#include <QWidget>

class QLabel;

// The first window: shows the program's picture for a moment (75 ticks of a 2 ms timer), then
// asks for the main window and hides itself.
class SplashScreen : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kTickMs = 2;
    static constexpr int kLastTick = 148; // the counter goes up by 2; 148 is the 75th tick

    explicit SplashScreen(const QString &productName, QWidget *parent = nullptr);

    // Starts the countdown.
    void Start();
    int SplashTicks = 0;
    QLabel *m_picture;
    QTimer Timer2;

signals:
    void countdownFinished();

private:
    void OnTick();
};
