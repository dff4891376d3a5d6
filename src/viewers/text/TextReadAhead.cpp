#include "viewers/text/TextReadAhead.h"

// Qt
#include <QFile>

// C++
#include <algorithm>
#include <utility>

TTextReadAhead::TTextReadAhead(std::size_t capacity, std::size_t lineCapacity)
    : capacity_(capacity), lineCapacity_(lineCapacity) {}

TTextReadAhead::~TTextReadAhead() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (worker_.joinable()) worker_.join();
}

void TTextReadAhead::SetCapacity(std::size_t capacity, std::size_t lineCapacity) {
    std::lock_guard lock(mutex_);
    capacity_ = capacity;
    lineCapacity_ = lineCapacity;
    held_.clear();
    failed_.clear();
}

void TTextReadAhead::Want(const QStringList& paths) {
    {
        std::lock_guard lock(mutex_);
        wanted_ = paths.mid(0, 2);
        std::erase_if(held_, [this](const TEntry& e) { return !wanted_.contains(e.path); });
        failed_.clear();
        // The worker starts with the first wish, not with the view.
        if (!worker_.joinable() && !wanted_.isEmpty()) worker_ = std::thread([this] { run(); });
    }
    wake_.notify_all();
}

std::optional<text::TPreparedText> TTextReadAhead::Take(const QString& path) {
    TEntry entry;
    {
        std::lock_guard lock(mutex_);
        const auto it = std::find_if(held_.begin(), held_.end(),
                                     [&](const TEntry& e) { return e.path == path; });
        if (it == held_.end()) return std::nullopt;
        entry = std::move(*it);
        held_.erase(it);
        // Taken: not read again until it is wished for again.
        wanted_.removeAll(path);
    }
    if (TFileStamp::Of(QFile::encodeName(path).toStdString()) != entry.stamp) return std::nullopt;
    return std::move(entry.text);
}

bool TTextReadAhead::Holds(const QString& path) const {
    std::lock_guard lock(mutex_);
    return held(path);
}

bool TTextReadAhead::held(const QString& path) const {
    return std::any_of(held_.begin(), held_.end(), [&](const TEntry& e) { return e.path == path; });
}

QString TTextReadAhead::nextWanted() const {
    for (const QString& path : wanted_)
        if (!held(path) && path != underWay_ && !failed_.contains(path)) return path;
    return {};
}

void TTextReadAhead::run() {
    std::unique_lock lock(mutex_);
    while (true) {
        wake_.wait(lock, [this] { return stop_ || !nextWanted().isEmpty(); });
        if (stop_) return;
        const QString path = nextWanted();
        underWay_ = path;
        const std::size_t capacity = capacity_, lineCapacity = lineCapacity_;
        lock.unlock();

        const std::string native = QFile::encodeName(path).toStdString();
        const TFileStamp before = TFileStamp::Of(native);
        std::optional<text::TPreparedText> prepared;
        // Its bytes count among the files of every kind read ahead.
        TBudgetShare ahead;
        if (before.Exists() && std::size_t(before.size) <= kLargest)
            ahead = TryReadAheadShare(uint64_t(before.size));
        if (ahead.Bytes() != 0) {
            try {
                prepared =
                    text::PrepareTextFile(native, path.toStdString(), capacity, lineCapacity);
            } catch (...) {
                // Shown, it is read again and the failure reported then.
            }
        }
        // A file written to while it was read is read again when shown.
        const bool steady = prepared && TFileStamp::Of(native) == before;

        lock.lock();
        underWay_.clear();
        if (capacity != capacity_ || lineCapacity != lineCapacity_) {
            // Read again under the new capacities.
        } else if (!steady) {
            failed_.append(path);
        } else if (wanted_.contains(path)) {
            held_.push_back(TEntry{path, before, std::move(*prepared), std::move(ahead)});
        }
    }
}
