#pragma once

/// What a screen reader gets from the main window's own parts.
namespace FrameAccessibility {

/// Gives the document area, the document windows and every entry of the
/// program's menus the interfaces a screen reader needs (see
/// DocumentAreaAccessible, DocumentWindowAccessible, MenuItemAccessible),
/// and puts the AccessibleEventGate in place. Called as the main window is
/// made; more calls do nothing.
void install();

} // namespace FrameAccessibility
