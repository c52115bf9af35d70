// COM apartments of the simulated machine, per thread: OleInitialize and CoInitializeEx make the
// thread a single-threaded apartment (or a multithreaded one), counted, and the matching
// uninitialise calls undo one initialisation each.
#pragma once
#include <map>
#include <thread>

namespace sim {

enum class ApartmentType { None, SingleThreaded, MultiThreaded };

struct Apartment {
    ApartmentType type = ApartmentType::None;
    int initCount = 0;  // successful CoInitializeEx/OleInitialize calls not yet undone
    int oleCount = 0;   // of which OleInitialize
};

class Apartments {
public:
    Apartment& Current() { return m_threads[std::this_thread::get_id()]; }
    int OleInitializeCalls = 0;
    int OleUninitializeCalls = 0;
    int CoInitializeCalls = 0;
    int CoUninitializeCalls = 0;

private:
    std::map<std::thread::id, Apartment> m_threads;
};

}  // namespace sim
