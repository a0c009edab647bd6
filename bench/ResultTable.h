#pragma once
// The one table the benchmark prints: every figure beside its target.
#include <QString>

#include <optional>
#include <vector>

class ResultTable
{
public:
    // A figure with no target of its own (the base of a ratio below).
    void reference(const QString &what, const QString &figure);
    // A figure that passes when it is at most limit.
    void atMost(const QString &what, double value, double limit, const QString &unit, int decimals = 2);
    // A time against what the machine allows for the same work, measured
    // in the same run: passes when seconds / limitSeconds is at most
    // targetRatio. The time and the limit are shown for information.
    void ratio(const QString &what, double seconds, double limitSeconds, double targetRatio);
    // The same for runs that took turns with their limits: each run against
    // the limit measured just before it, so that a busy spell of the machine
    // slows both; the ratio is the median of the runs' ratios.
    void ratio(const QString &what, const std::vector<double> &seconds, const std::vector<double> &limitSeconds,
               double targetRatio);

    // Growth of a figure when its load (boxes, copies) doubles: linear growth
    // doubles it; the limit leaves 10 % for the noise of the machine, so a
    // part that grows faster shows once it is a tenth of the figure.
    void doubling(const QString &what, double atLoad, double atTwiceTheLoad);
    static constexpr double LinearDoublingLimit = 2.2;

    void section(const QString &title);
    bool allPassed() const;
    QString text() const;

private:
    struct Row {
        QString what;
        QString figure;
        QString limit;   // what the machine allows, for a ratio
        QString ratio;
        QString target;
        std::optional<bool> passed;   // none for a reference figure or a heading
        bool heading = false;
    };
    std::vector<Row> m_rows;
};
