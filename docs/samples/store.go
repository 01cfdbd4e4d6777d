package store

import (
	"errors"
	"fmt"
	"sync"
)

// ErrMissing is returned when a key isn't in the store.
var ErrMissing = errors.New("store: key isn't there")

// Store is a map that's safe for concurrent use.
type Store[K comparable, V any] struct {
	mu    sync.RWMutex
	items map[K]V
}

// Get returns the value for key, or an error wrapping ErrMissing.
func (s *Store[K, V]) Get(key K) (V, error) {
	s.mu.RLock()
	defer s.mu.RUnlock()
	if v, ok := s.items[key]; ok {
		return v, nil
	}
	var zero V
	return zero, fmt.Errorf("get %v: %w", key, ErrMissing)
}
