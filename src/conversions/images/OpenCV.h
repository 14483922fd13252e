#pragma once

// OpenCV's headers predate C++20's enum rules: read them as system headers so their
// warnings don't drown ours.
#pragma GCC system_header

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
