#pragma once

// OpenCV's DNN module, read as a system header like the rest of OpenCV (see OpenCV.h).
#pragma GCC system_header

#include <opencv2/dnn.hpp>
