// Filtered two-pass image resampling and the scaled image loader.
#pragma once

#include "platform/gdi/Bitmap.h"

#include <array>
#include <stdexcept>
#include <string>

namespace kestrava::gdi {

using FilterFunction = float (*)(float x);

struct FilterEntry {
    const char* name;
    FilterFunction filter;
    float support;
};

// Box, Triangle, Hermite, Bell, B-Spline, Lanczos3, Mitchell, in this order.
extern const std::array<FilterEntry, 7> FilterTable;

float BoxFilter(float x);
float TriangleFilter(float x);
float HermiteFilter(float x);
float BellFilter(float x);
float SplineFilter(float x);
float Lanczos3Filter(float x);
float MitchellFilter(float x);

class ResampleError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Scales the whole source into the destination, whose size the caller has
// set. Source and destination become 24 bits per pixel. Throws ResampleError
// ("Source bitmap too small") for an empty source, leaving the destination
// as it was.
void ResampleBitmap(Bitmap& source, Bitmap& destination, FilterFunction filter, float support);

// Replaces image with a new width x height bitmap and resamples the picture
// file into it with the Bell filter and support 2.0. Throws (the load's error
// or ResampleError) when the file cannot be read; image then holds the new
// empty bitmap.
void LoadScaledBitmap(Bitmap& image, const std::string& path, int32_t width, int32_t height);

} // namespace kestrava::gdi
