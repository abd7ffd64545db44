#include "toolkit/dpi.h"

namespace tk {

int Scale(int px96, int dpi) {
    if (dpi <= 0 || dpi == kDesignDpi) return px96;
    long long product = static_cast<long long>(px96) * dpi;
    long long half = kDesignDpi / 2;
    long long scaled =
        product >= 0 ? (product + half) / kDesignDpi : -((-product + half) / kDesignDpi);
    return static_cast<int>(scaled);
}

} // namespace tk
