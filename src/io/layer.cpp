// Anchors the io layer, so that it exists before its first unit.
namespace kuv::io {}
