-- Loaded into Debian's mpv by scripts/bench: reports the first audio of the
-- file (the same moment at which the player's engine reports playState 3)
-- and ends mpv.
mp.register_event("playback-restart", function()
    io.stdout:write("first-audio\n")
    io.stdout:flush()
    mp.command("quit")
end)
