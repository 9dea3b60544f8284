#pragma once
// What a process that runs the browser engine sets up before the Qt
// application object exists: the station with its windows and the bank
// tool's print alike, so that both start the engine the same way.
namespace tk {

// No shader, cache or crash files on disk, no route to the network for the
// engine, no Qt scaling on top of our own DPI rule.
void PrepareProcessEnvironment();
// The station's own process makes no temporary files (tools and tests do).
void KeepTemporaryFilesOff();
// Whether the engine can start here: without its helper process it would end
// the whole program.
bool WebEngineAvailable();

} // namespace tk
