inherited F: TF
  Hint = 'a'#13#10'b'
  X.Y.Z = $FF
end
