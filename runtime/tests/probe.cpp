// A library that needs the marker through its run path.
extern "C" int sarnMarker();
extern "C" int sarnProbe() { return sarnMarker(); }
