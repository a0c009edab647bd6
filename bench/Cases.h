#pragma once
// The cases of the benchmark; each adds its rows to the table.
#include <QString>
#include <QStringList>

class ResultTable;

struct BenchSetup {
    QString batchProgram;     // tavelo-batch
    QString startupProgram;   // the program's start-up, reporting when idle
    QString dir;              // where inputs and outputs go
    QStringList pictures;     // the 20 bitmaps
    QString largestCard;      // 20 text boxes, 20 image boxes
    QString halfCard;         // 10 and 10, for the growth checks
    int runs = 7;             // each figure is the median of this many runs
};

void printCases(const BenchSetup &setup, ResultTable &table);
void cardFileCase(const BenchSetup &setup, ResultTable &table);
void liveResizeCase(const BenchSetup &setup, ResultTable &table);
void startupCase(const BenchSetup &setup, ResultTable &table);
void qrCase(const BenchSetup &setup, ResultTable &table);
void mergeCase(const BenchSetup &setup, ResultTable &table);
// The merge card and its lists, in setup.dir.
void writeMergeInputs(const BenchSetup &setup);
void printViewCase(const BenchSetup &setup, ResultTable &table);
void printShopCase(const BenchSetup &setup, ResultTable &table);
void typesetCase(const BenchSetup &setup, ResultTable &table);
void shapesCase(const BenchSetup &setup, ResultTable &table);
void sidesMergeCase(const BenchSetup &setup, ResultTable &table);
