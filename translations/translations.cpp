// The translations are resources of this library (translations/*.qm under
// :/i18n); it has no code of its own.
