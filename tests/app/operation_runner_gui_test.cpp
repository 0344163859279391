// The operation queue: order, no overlap, caption and status around every operation.
#include "app/logic/user_error.h"
#include "app/ui/operation_runner.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

#include <atomic>

#include <gtest/gtest.h>

using namespace zorvan;

namespace {

class RunnerTest : public ::testing::Test {
protected:
    QStringList log;  // caption:<text>, refresh, error:<text>, and what the works write
    OperationRunner runner{{[this](const QString& caption) { log << "caption:" + caption; },
                            [this] { log << "refresh"; },
                            [this](const std::exception& e) { log << QString("error:") + e.what(); }}};
};

}  // namespace

TEST_F(RunnerTest, CaptionWorkRefreshAndClearedCaptionInThisOrderAlsoOnFailure)
{
    runner.queue(10, "座標移動中", [&] { log << "work"; });
    runner.queue(11, "入替え中", [&] { throw UserError("壊れた"); });
    EXPECT_EQ(log, QStringList({"caption:座標移動中", "work", "refresh", "caption:", "caption:入替え中", "refresh",
                                "caption:", "error:壊れた"}));
    EXPECT_FALSE(runner.Busy);
    EXPECT_TRUE(runner.idle());
}

TEST_F(RunnerTest, AnOperationQueuedWhileOneRunsStartsWhenItHasEnded)
{
    runner.queue(1, "a", [&] {
        EXPECT_EQ(runner.runningCode(), 1);
        runner.queue(2, "b", [&] { log << "work b"; });
        log << "end a";
    });
    EXPECT_EQ(log, QStringList({"caption:a", "end a", "refresh", "caption:", "caption:b", "work b", "refresh",
                                "caption:"}));
}

TEST_F(RunnerTest, PostedOperationsShowTheirCaptionAtOnceAndRunFromTheEventLoopInOrder)
{
    runner.define(1, "読み込み中", [&] { log << "load"; });
    runner.start(1);
    runner.post(9, "", {});  // unknown work: only the status is refreshed
    runner.queue(5, "x", [&] { log << "x"; });  // behind the posted ones
    EXPECT_EQ(log, QStringList({"caption:読み込み中"}));
    EXPECT_FALSE(runner.idle());
    QCoreApplication::processEvents();
    EXPECT_EQ(log, QStringList({"caption:読み込み中", "caption:読み込み中", "load", "refresh", "caption:", "refresh",
                                "caption:", "caption:x", "x", "refresh", "caption:"}));
    EXPECT_TRUE(runner.idle());
}

namespace {

class BackgroundRunnerTest : public RunnerTest {
protected:
    OperationRunner background{{[this](const QString& caption) { log << "caption:" + caption; },
                                [this] { log << "refresh"; },
                                [this](const std::exception& e) { log << QString("error:") + e.what(); },
                                [this](bool locked) { log << (locked ? "lock" : "unlock"); },
                                [this](int permille) {
                                    if (permille >= 0 && !log.contains("progress"))
                                        log << "progress";
                                },
                                [this](const QString& note) { log << "note:" + note; }}};
    std::atomic<bool> release{false};

    // A worker that waits until released (or cancelled), then throws or hands back its result.
    OperationRunner::Prepare operation(bool fails)
    {
        return [this, fails]() -> OperationRunner::Background {
            log << "prepare";
            return [this, fails](OperationTask& task) -> OperationRunner::Work {
                while (!release)
                    task.checkpoint();
                if (fails)
                    throw UserError("壊れた");
                return [this] { log << "apply"; };
            };
        };
    }
};

}  // namespace

TEST_F(BackgroundRunnerTest, TheEventLoopTicksWhileTheWorkerWorksAndTheResultIsAppliedOnce)
{
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (++ticks == 5)
            release = true;
    });
    timer.start(1);
    background.queueInBackground(10, "座標移動中", operation(false));
    background.queue(11, "b", [&] { log << "b"; });  // waits for the first
    EXPECT_TRUE(background.Busy);
    background.waitForIdle();
    EXPECT_GE(ticks, 5);
    EXPECT_EQ(log, QStringList({"caption:座標移動中", "prepare", "lock", "unlock", "apply", "refresh", "caption:",
                                "caption:b", "b", "refresh", "caption:"}));
}

TEST_F(BackgroundRunnerTest, TheProgressBarShowsOnlyForWorkOfMoreThanATenthOfASecond)
{
    QTimer::singleShot(200, [&] { release = true; });
    background.queueInBackground(10, "x", operation(false));
    background.waitForIdle();
    EXPECT_EQ(log, QStringList({"caption:x", "prepare", "lock", "progress", "unlock", "apply", "refresh", "caption:"}));
}

TEST_F(BackgroundRunnerTest, CancelOrFailureAppliesNothingAndSaysSoOnce)
{
    const struct {
        const char* name;
        bool cancelBeforeWork, cancelAfterWork, fails;
        QString last;
    } cases[] = {
        {"cancelled at once", true, false, false, "note:中止しました"},
        {"cancelled once the worker is done", false, true, false, "note:中止しました"},
        {"failing worker", false, false, true, "error:壊れた"},
    };
    for (const auto& c : cases) {
        log.clear();
        release = !c.cancelBeforeWork;
        background.queueInBackground(10, "x", operation(c.fails));
        if (c.cancelBeforeWork || c.cancelAfterWork) {
            if (c.cancelAfterWork)
                QThread::msleep(20);  // the worker ends and posts its result
            background.cancel();
        }
        background.waitForIdle();
        EXPECT_EQ(log, QStringList({"caption:x", "prepare", "lock", "unlock", "refresh", "caption:", c.last})) << c.name;
    }
}
