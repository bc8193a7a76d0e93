// H.264 decoder engine (placeholder until the engine lands).
