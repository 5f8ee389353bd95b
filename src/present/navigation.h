#pragma once
// The main window's navigation path: empty shows the dashboard, a card on top shows that card's
// detail page. Observers hear only real changes (element by element).

#include <vector>

#include "core/records.h"
#include "logic/observable.h"

namespace kovra {

struct ArayuzNavigation {
  Observable<std::vector<CardKind>> path;

  // Opens one card's detail page (replacing whatever was shown).
  void open(CardKind card) { path.set({card}); }
  // The navigation stack's back action.
  void back() {
    auto p = path.value();
    if (!p.empty()) p.pop_back();
    path.set(std::move(p));
  }
  bool showsNetworkDetail() const { return !path->empty() && path->back() == CardKind::network; }
};

}  // namespace kovra
