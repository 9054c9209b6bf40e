#include "app/features.h"

Features& TheFeatures() {
  static Features features;
  return features;
}
