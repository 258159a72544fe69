// The busy state of the window, in one place.
#include "app/test_in_corso.h"

namespace sondalink {

namespace {
bool gbInEsecuzione = false;
bool gbControlliBloccati = false;
}  // namespace

bool TestInCorso() { return gbInEsecuzione || gbControlliBloccati; }

GuardiaTest::GuardiaTest() : presa_(!gbInEsecuzione) { gbInEsecuzione = true; }

GuardiaTest::~GuardiaTest() {
  if (presa_) gbInEsecuzione = false;
}

void SegnaControlliBloccati(bool bBloccati) { gbControlliBloccati = bBloccati; }

}  // namespace sondalink
