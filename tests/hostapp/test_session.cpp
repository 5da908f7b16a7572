// The host session and its prefetcher under every request pattern the
// plug-in's render run and the dialog make: each request returns the frame
// asked for, within a bounded time, and no frame image is lent twice or
// written while lent.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <map>
#include <set>
#include <thread>

#include "clip/FramePrefetcher.h"
#include "session/HostCallbacks.h"

using namespace mv;
using namespace std::chrono_literals;

namespace {

// Frames that carry their index in the first pixel: red is the low byte,
// green the high one.
class NumberedSource final : public VideoSource {
public:
    explicit NumberedSource(std::int64_t count) : count_(count), frame_(newFrame()) {
        frame_->format = AV_PIX_FMT_RGB24;
        frame_->width = 8;
        frame_->height = 4;
        av_frame_get_buffer(frame_.get(), 0);
    }
    void seek(std::int64_t index) override { next_ = index; }
    const AVFrame* next(std::int64_t& index) override {
        if (next_ >= count_) return nullptr;
        std::this_thread::sleep_for(1ms);  // decoding takes time, so work overlaps
        av_frame_make_writable(frame_.get());
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 8; ++x) {
                std::uint8_t* p = frame_->data[0] + y * frame_->linesize[0] + x * 3;
                p[0] = static_cast<std::uint8_t>(next_ & 0xFF);
                p[1] = static_cast<std::uint8_t>(next_ >> 8);
                p[2] = 0;
            }
        index = next_++;
        return frame_.get();
    }

private:
    std::int64_t count_;
    std::int64_t next_ = 0;
    FramePtr frame_;
};

std::int64_t numberOf(GWorldPtr world) {
    const ArgbView v = viewOf(world);
    return v.data[1] | (v.data[2] << 8);
}

// Runs fn on a thread of its own; a hang ends the test program.
void withinSeconds(int seconds, const std::function<void()>& fn) {
    std::packaged_task<void()> task(fn);
    std::future<void> done = task.get_future();
    std::thread runner(std::move(task));
    if (done.wait_for(std::chrono::seconds(seconds)) != std::future_status::ready) {
        std::fprintf(stderr, "the frame requests hung\n");
        std::_Exit(1);
    }
    runner.join();
    done.get();
}

struct Lent {
    GWorldPtr world;
    void* cookie;
    std::int64_t index;
};

class Session : public ::testing::Test {
protected:
    Session() {
        clip.info.name = "numbers";
        clip.info.width = 8;
        clip.info.height = 4;
        clip.info.frameRate = {25, 1};
        clip.info.frameCount = kFrames;
        clip.video = std::make_unique<NumberedSource>(kFrames);
        session = std::make_unique<HostSession>(clip);
    }

    // Takes a frame and checks it is the one asked for, in an image no
    // other lent frame has.
    Lent take(std::int64_t index, SInt16 width = 8, SInt16 height = 4) {
        Lent l{nullptr, nullptr, index};
        EXPECT_EQ(session->getFrame(static_cast<SInt32>(index), &l.world, width, height, kDVHighQuality, nullptr,
                                    &l.cookie),
                  kPluginOK)
            << "frame " << index << ": " << session->frameError();
        if (!l.world) return l;
        EXPECT_EQ(numberOf(l.world), index);
        for (const Lent& other : lent) EXPECT_NE(other.world, l.world) << "frame " << index << " lent twice";
        lent.push_back(l);
        return l;
    }
    void give(const Lent& l) {
        // What is lent is never written under the plug-in.
        EXPECT_EQ(numberOf(l.world), l.index);
        EXPECT_EQ(session->releaseFrame(l.cookie), kPluginOK);
        std::erase_if(lent, [&](const Lent& o) { return o.cookie == l.cookie; });
    }
    void takeAndGive(std::int64_t index) { give(take(index)); }

    static constexpr std::int64_t kFrames = 60;
    Clip clip;
    std::unique_ptr<HostSession> session;
    std::vector<Lent> lent;
};

TEST_F(Session, EveryRequestPatternGetsItsFrame) {
    const std::map<std::string, std::vector<std::int64_t>> patterns = {
        {"sequential", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {"one forward after another", {20, 21, 22, 23}},
        {"backwards", {30, 29, 28, 10, 9}},
        {"jumps", {3, 50, 7, 59, 0}},
        {"repeated", {5, 5, 5}},
    };
    for (const auto& [name, frames] : patterns) {
        SCOPED_TRACE(name);
        withinSeconds(10, [&] { for (std::int64_t f : frames) takeAndGive(f); });
    }
}

// A render's range ends; the dialog then asks for the next frame.
TEST_F(Session, NextFrameAfterThePlansEnd) {
    session->setRange(0, 4);
    withinSeconds(10, [&] {
        for (std::int64_t f = 0; f <= 6; ++f) takeAndGive(f);
    });
}

TEST_F(Session, HeldFrameSurvivesASizeChange) {
    withinSeconds(10, [&] {
        const Lent held = take(3);
        const Lent smaller = take(4, 4, 2);
        give(held);  // from the retired pool: must not free the smaller frame's image
        const Lent next = take(5, 4, 2);
        const Lent after = take(6, 4, 2);
        give(smaller);
        give(next);
        give(after);
        const Lent back = take(7);
        give(back);
    });
}

TEST_F(Session, EveryImageLentStillGetsANewFrame) {
    withinSeconds(10, [&] {
        std::vector<Lent> held;
        for (std::int64_t f = 10; f < 16; ++f) held.push_back(take(f));
        for (const Lent& l : held) give(l);
        takeAndGive(16);
    });
}

TEST_F(Session, FramesOutsideTheClipAreRefused) {
    for (SInt32 f : {-1, static_cast<SInt32>(kFrames)}) {
        GWorldPtr world = nullptr;
        void* cookie = nullptr;
        EXPECT_EQ(session->getFrame(f, &world, 8, 4, kDVHighQuality, nullptr, &cookie), kPluginCantGetNeededFrame);
        EXPECT_EQ(world, nullptr);
        EXPECT_EQ(session->releaseFrame(cookie), kPluginOK);
    }
}

TEST(Prefetcher, TakePastThePlanAnswersAtOnce) {
    NumberedSource source(10);
    FramePrefetcher prefetcher(source, 10);
    ArgbImage a(8, 4), b(8, 4);
    withinSeconds(10, [&] {
        prefetcher.start(2, 2, 1, {a.view(), b.view()}, ScaleQuality::Good);
        EXPECT_EQ(prefetcher.take().index, 2);
        EXPECT_FALSE(prefetcher.deliversNext(3));
        EXPECT_LT(prefetcher.take().slot, 0);
        // Both images lent: the next plan cannot decode, and says so.
        prefetcher.start(3, 9, 1, {a.view(), b.view()}, ScaleQuality::Good);
        EXPECT_EQ(prefetcher.take().index, 3);
        EXPECT_LT(prefetcher.take().slot, 0);
    });
}

}  // namespace
