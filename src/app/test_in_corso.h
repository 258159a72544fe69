// Whether the window is busy with a test: what the close guard asks, and the
// guard that keeps a second test from starting inside the first.
#pragma once

namespace sondalink {

// True from a test handler's start to its return, and while ControlliBlocca's
// lock stands (an unlock that failed leaves the window busy).
bool TestInCorso();

// Held by a test handler for its whole run. LogWrite lets the window handle
// its queued events long before the controls are locked: a click queued
// behind the running test finds the guard taken (false) and starts nothing.
class GuardiaTest {
 public:
  GuardiaTest();
  ~GuardiaTest();
  GuardiaTest(const GuardiaTest&) = delete;
  GuardiaTest& operator=(const GuardiaTest&) = delete;
  explicit operator bool() const { return presa_; }

 private:
  bool presa_;
};

// The lock's share of the busy state: set by ControlliBlocca once every
// control is locked, cleared by ControlliSblocca once every one is free.
void SegnaControlliBloccati(bool bBloccati);

}  // namespace sondalink
