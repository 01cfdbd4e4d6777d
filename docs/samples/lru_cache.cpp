#include <list>
#include <stdexcept>
#include <unordered_map>

// Keeps the most recently used entries; the oldest one goes when it's full.
template <typename Key, typename Value>
class LruCache {
public:
    explicit LruCache(std::size_t capacity) : capacity_(capacity) {
        if (capacity == 0) throw std::invalid_argument("a cache can't hold 0 entries");
    }

    const Value *find(const Key &key) {
        auto it = index_.find(key);
        if (it == index_.end()) return nullptr;
        order_.splice(order_.begin(), order_, it->second);  // now the newest
        return &it->second->second;
    }

private:
    std::size_t capacity_;
    std::list<std::pair<Key, Value>> order_;
    std::unordered_map<Key, typename decltype(order_)::iterator> index_;
};
