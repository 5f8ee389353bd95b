#include "logic/observable.h"

namespace kovra {

ObservationToken ObservationToken::combined(std::vector<ObservationToken> tokens) {
  auto shared = std::make_shared<std::vector<ObservationToken>>(std::move(tokens));
  return ObservationToken([shared] { shared->clear(); });
}

}  // namespace kovra
