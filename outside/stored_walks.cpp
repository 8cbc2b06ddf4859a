// Walks over stored nodes in place: the steps that a walk would make through
// the node objects, made on the records, without an object or a counted
// reference per step.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <new>

#include "outside/stored_node.h"
#include "runtime/text.h"

namespace tree {
namespace {

// Whether two keys can be equal without regard to case, judged by their last
// two bytes, read as one number: two ASCII characters that differ in more
// than the case bit fold apart under any rule, and each ASCII character folds
// to one character, so the ends of two texts meet byte for byte. Keys of a
// section mostly differ at the end, so a walk for one key passes most items
// on this alone.
inline uint16_t lastTwo(std::string_view text) {
    uint16_t v;
    std::memcpy(&v, text.data() + text.size() - 2, 2);
    return v;
}
inline bool maySameLastTwo(uint16_t x, uint16_t y) {
    return ((x | y) & 0x8080u) != 0 || ((x ^ y) & ~0x2020u & 0xffffu) == 0;
}

bool isAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// The key's first characters, as many as the (ASCII) prefix has, equal it.
// Plain ASCII is settled byte by byte; anything else takes the full rule.
inline bool beginsWith(std::string_view key, std::string_view prefix) {
    const size_t n = prefix.size();
    if (key.size() >= n) {
        bool same = true;
        for (size_t i = 0; i < n; ++i) {
            const auto x = static_cast<unsigned char>(key[i]);
            const auto y = static_cast<unsigned char>(prefix[i]);
            if (x >= 0x80) {
                same = false;
                break;
            }
            if (x != y) same = false;
        }
        if (same) return true;
    }
    return rt::textEquals(rt::leftChars(key, n), prefix);
}

// Where a run in place stopped.
struct RunEnd {
    int32_t done = 0;
    int32_t at = NoNode;
    bool visited = false;
};

// The object of a node that has none yet, as a step to it makes it; false
// out of memory.
bool makeObject(NodeStore& s, int32_t index) noexcept {
    try {
        s.objectFor(index);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// What a visit did: refused the item (nothing changed), did its work, or did
// it and leaves the step to the next item to the walk.
enum Visited : int { Refused = 0, Done = 1, DoneStop = 2 };

// Passes in place from node `at`: stops before an item bearing the key (when
// there is one) or one that visit(record, index) refuses, then steps to the
// next sibling, whose object is made as the step would. A function of its
// own, so that its loop keeps its counters in registers.
template <bool StopAtKey, class Visit>
[[gnu::noinline]] RunEnd passInPlace(NodeStore& s, int32_t at, int32_t passes, std::string_view stopKey,
                                     Visit visit) {
    const bool stopLong = stopKey.size() >= 2;
    const uint16_t stopEnd = stopLong ? lastTwo(stopKey) : 0;
    // Making an object does not move the records.
    NodeRecord* const records = s.nodes.data();
    RunEnd end;
    int32_t done = 0;
    // Every node passed has its object, made as the step to it would; the
    // node that the run ends at gets its own last.
    int32_t previous = NoNode;
    while (done < passes && at != NoNode) {
        NodeRecord& d = records[at];
        if (!d.object && !makeObject(s, at)) [[unlikely]]
            break;
        if constexpr (StopAtKey) {
            if (d.key.size() < 2 || !stopLong || maySameLastTwo(lastTwo(d.key), stopEnd)) {
                if (sameImageKey(d.key, stopKey)) break;
            }
        }
        const int visited = static_cast<int>(visit(d, at));
        if (visited == Refused) break;
        if (visited == DoneStop) {
            end.visited = true;
            break;
        }
        previous = at;
        at = d.next;
        ++done;
    }
    if (!end.visited && at != NoNode && !records[at].object && !makeObject(s, at)) [[unlikely]] {
        // The step to the node failed: the walk makes it again.
        end.done = done - 1;
        end.at = previous;
        end.visited = true;
        return end;
    }
    end.done = done;
    end.at = at;
    return end;
}

template <class Visit>
RunEnd passInPlace(NodeStore& s, int32_t at, int32_t passes, bool stopAtKey, std::string_view stopKey,
                   Visit visit) {
    return stopAtKey ? passInPlace<true>(s, at, passes, stopKey, visit)
                     : passInPlace<false>(s, at, passes, stopKey, visit);
}

// The images of a changing walk in place, each checked and made once.
struct InPlaceImages {
    int32_t setTo, firstTo, secondTo;
    bool setOk, firstOk, secondOk;
};

// The runs of neighbouring siblings whose images a run in place changed,
// told to the view as each ends, when the view hears of them.
template <bool Tell>
class ChangedRuns {
public:
    explicit ChangedRuns(NodeStore& s) noexcept : s_(s) {}
    ChangedRuns(const ChangedRuns&) = delete;
    ChangedRuns& operator=(const ChangedRuns&) = delete;

    // Stores the image, noting whether it changed; the same image again
    // changes nothing that anyone could see.
    void store(NodeRecord& d, int32_t at, int32_t image) noexcept {
        if constexpr (Tell) {
            if (d.image == image) {
                end();
                return;
            }
            if (first_ == NoNode) first_ = at;
            last_ = at;
        }
        d.image = image;
    }
    void end() noexcept {
        if constexpr (Tell) {
            if (first_ == NoNode) return;
            s_.imagesStored(first_, last_);
            first_ = NoNode;
        }
    }

private:
    NodeStore& s_;
    int32_t first_ = NoNode;
    int32_t last_ = NoNode;
};

// The usual changing walks in place, each with a loop of its own; false for
// a pass that goes step by step (the walk makes the failing steps and
// reports them).
template <bool Tell>
bool changeInPlace(NodeStore& s, int32_t from, const SiblingPass& pass, int32_t passes, const InPlaceImages& images,
                   RunEnd& end) {
    using Image = SiblingPass::Image;
    const Image kind = pass.image;
    const bool stop = pass.stopAtKey;
    const std::string_view stopKey = pass.stopKey;
    ChangedRuns<Tell> runs(s);
    if (kind == Image::Set && !pass.onlyPrefix) {
        if (!images.setOk) return false;
        const int32_t setTo = images.setTo;
        if constexpr (Tell) {
            end = passInPlace(s, from, passes, stop, stopKey, [setTo, &runs](NodeRecord& d, int32_t at) {
                runs.store(d, at, setTo);
                return true;
            });
        } else {
            end = passInPlace(s, from, passes, stop, stopKey, [setTo](NodeRecord& d, int32_t) {
                d.image = setTo;
                return true;
            });
        }
    } else if (kind == Image::Set) {
        if (!images.setOk) return false;
        const int32_t setTo = images.setTo;
        const std::string_view prefix = pass.prefix;
        end = passInPlace(s, from, passes, stop, stopKey, [setTo, prefix, &runs](NodeRecord& d, int32_t at) {
            if (beginsWith(d.key, prefix))
                runs.store(d, at, setTo);
            else
                runs.end();
            return true;
        });
    } else if (kind == Image::Toggle && !pass.onlyPrefix) {
        // Which of the two keys an image names; nodes share a few keys.
        int32_t seen = 0, seenState = 0;
        // Copies, which no store into a record can change.
        const int32_t firstTo = images.firstTo, secondTo = images.secondTo;
        const bool firstOk = images.firstOk, secondOk = images.secondOk;
        const auto toggle = [&, firstTo, secondTo, firstOk, secondOk](NodeRecord& d, int32_t at) {
            const int32_t image = d.image;
            if (image >= 0) {
                runs.end();
                return true;
            }
            if (image != seen) {
                const std::string& k = s.imageKeys[static_cast<size_t>(~image)];
                seenState = sameImageKey(k, pass.firstKey) ? 1 : sameImageKey(k, pass.secondKey) ? 2 : 0;
                seen = image;
            }
            if (seenState == 0) {
                runs.end();
                return true;
            }
            if (seenState == 1) {
                if (!secondOk) return false;
                runs.store(d, at, secondTo);
            } else {
                if (!firstOk) return false;
                runs.store(d, at, firstTo);
            }
            return true;
        };
        end = passInPlace(s, from, passes, stop, stopKey, toggle);
    } else {
        return false;
    }
    // Told before the walk makes its next step, a failing one included.
    runs.end();
    return true;
}

}  // namespace

void StoredNode::runSiblings(const SiblingPass& pass, int32_t passes, rt::Ref<TreeNode>& current, SiblingRun& run) {
    using Image = SiblingPass::Image;
    const Image kind = pass.image;
    if (cleared_ || passes <= 0 || !data_->usable()) return;
    // A reader with a change, and a prefix beyond ASCII, go step by step.
    if (pass.reader && (kind == Image::Set || kind == Image::Toggle)) return;
    if (pass.onlyPrefix && !isAscii(pass.prefix)) return;
    NodeStore& s = *data_;

    // Where the images are stored in place, each is checked and made once.
    const NodeStore::InPlace how = s.imagesInPlace();
    const bool inPlace = how != NodeStore::InPlace::No;
    const bool told = how == NodeStore::InPlace::Told;
    int32_t setTo = 0, firstTo = 0, secondTo = 0;
    bool setOk = false, firstOk = false, secondOk = false;
    if (inPlace && kind == Image::Set) setOk = s.imageInPlace(*pass.set, setTo);
    if (inPlace && kind == Image::Toggle) {
        firstOk = s.imageInPlace(*pass.firstImage, firstTo);
        secondOk = s.imageInPlace(*pass.secondImage, secondTo);
    }
    // Walks that only read run the same on every store: no outside code.
    if ((kind == Image::Keep || kind == Image::Read) && !pass.onlyPrefix) {
        SiblingReader* const reader = pass.reader;
        RunEnd end;
        if (kind == Image::Keep && !reader) {
            end = passInPlace(s, index_, passes, pass.stopAtKey, pass.stopKey, [](NodeRecord&, int32_t) { return true; });
        } else if (kind == Image::Keep) {
            end = passInPlace(s, index_, passes, pass.stopAtKey, pass.stopKey,
                              [reader](NodeRecord& d, int32_t) { return reader->take(0, d.text, d.key); });
        } else {
            int32_t seen = 0, seenState = 0;
            const std::string_view first = pass.firstKey, second = pass.secondKey;
            const std::vector<std::string>& imageKeys = s.imageKeys;
            end = passInPlace(s, index_, passes, pass.stopAtKey, pass.stopKey, [&](NodeRecord& d, int32_t) {
                const int32_t image = d.image;
                int state = 0;
                if (image < 0) {
                    if (image != seen) {
                        const std::string& k = imageKeys[static_cast<size_t>(~image)];
                        seenState = sameImageKey(k, first) ? 1 : sameImageKey(k, second) ? 2 : 0;
                        seen = image;
                    }
                    state = seenState;
                }
                return !reader || reader->take(state, d.text, d.key);
            });
        }
        current = end.at == NoNode ? nullptr : s.nodes[static_cast<size_t>(end.at)].object;
        run.passes = end.done;
        run.visited = end.visited;
        return;
    }

    // The usual changing walks, each with a loop of its own.
    if (inPlace) {
        const InPlaceImages images{setTo, firstTo, secondTo, setOk, firstOk, secondOk};
        RunEnd end;
        const bool handled = told ? changeInPlace<true>(s, index_, pass, passes, images, end)
                                  : changeInPlace<false>(s, index_, pass, passes, images, end);
        if (handled) {
            current = end.at == NoNode ? nullptr : s.nodes[static_cast<size_t>(end.at)].object;
            run.passes = end.done;
            run.visited = end.visited;
        }
        return;
    } else if ((kind == Image::Set || kind == Image::Toggle) && !pass.reader) {
        // Every change goes through the view, which may run outside code: a
        // change that fails, or after which the tree is another, ends the
        // run with the step to the next item left to the walk.
        const uint64_t generation = s.generation;
        const int32_t nodeCount = s.count();
        const bool onlyPrefix = pass.onlyPrefix;
        const std::string_view prefix = pass.prefix;
        std::exception_ptr failure;
        bool stoppedByView = false;
        int32_t seen = 0, seenState = 0;
        const RunEnd end = passInPlace(s, index_, passes, pass.stopAtKey, pass.stopKey, [&](NodeRecord& d, int32_t at) {
            if (onlyPrefix && !beginsWith(d.key, prefix)) return Done;
            const rt::Variant* change = pass.set;
            if (kind == Image::Toggle) {
                const int32_t image = d.image;
                if (image >= 0) return Done;
                if (image != seen) {
                    const std::string& k = s.imageKeys[static_cast<size_t>(~image)];
                    seenState = sameImageKey(k, pass.firstKey) ? 1 : sameImageKey(k, pass.secondKey) ? 2 : 0;
                    seen = image;
                }
                if (seenState == 0) return Done;
                change = seenState == 1 ? pass.secondImage : pass.firstImage;
            }
            // The node stands for the walk while outside code may clear the
            // tree and let its objects go.
            current = d.object;
            try {
                s.setImage(at, *change);
            } catch (...) {
                failure = std::current_exception();
                stoppedByView = true;
                return DoneStop;
            }
            if (s.generation == generation && s.count() == nodeCount && s.usable()) return Done;
            stoppedByView = true;
            return DoneStop;
        });
        if (!stoppedByView) current = end.at == NoNode ? nullptr : s.nodes[static_cast<size_t>(end.at)].object;
        run.passes = end.done;
        run.visited = end.visited;
        if (failure) std::rethrow_exception(failure);
        return;
    }

    // Any other pass goes step by step.
}

void StoredNodes::expandRun(int32_t from, int32_t count, int16_t expanded, int32_t& done) {
    if (store_.expired() || !data_->usable()) return;
    NodeStore& s = *data_;
    const int32_t before = done;
    const int32_t first = from - 1 + before;
    if (first < 0) return;
    const int32_t end = std::min(first + (count - before), s.count());
    if (first >= end) return;
    if (s.changesInPlace()) {
        std::fill(s.expandedValues.begin() + first, s.expandedValues.begin() + end, expanded);
        done = before + (end - first);
        return;
    }
    // Nodes without children, up to the first that has some, which the
    // caller opens through the view.
    if (s.childlessOpenInPlace()) {
        const NodeRecord* const records = s.nodes.data();
        int16_t* const values = s.expandedValues.data();
        int32_t index = first;
        for (; index < end && records[index].children == 0; ++index) values[index] = expanded;
        done = before + (index - first);
        return;
    }
    // Only nodes that open quietly: no outside code runs between two.
    int32_t index = first;
    for (; index < end && s.opensQuietly(index); ++index) {
        done = before + (index - first);  // counted before the node, in case it fails
        s.setExpanded(index, expanded);
    }
    done = before + (index - first);
}

}  // namespace tree
